# Figures that the code and the texts made from it (the manual pages, lullwood-render's
# usage) share, each written here once. cmake/LullwoodFigures.h.in makes them constants
# for the code; the manual pages take them as @NAME@.
set(LULLWOOD_DEFAULT_OUTPUT_RATE 48000)      # frames a second of an output not told otherwise
set(LULLWOOD_SLEEP_FADE_SECONDS 60)          # how long the sleep timer's fade lasts
set(LULLWOOD_RENDER_MAX_SECONDS 1000000000)  # lullwood-render's longest render
set(LULLWOOD_RENDER_MIN_RATE 8000)           # and the rates it renders at
set(LULLWOOD_RENDER_MAX_RATE 192000)
set(LULLWOOD_RENDER_MAX_SLEEP_MINUTES 1440)  # its sleep timer's latest start: one day
