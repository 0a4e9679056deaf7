<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>Lullwood</name>
    <message>
        <source>Never</source>
        <translation>Nunca</translation>
    </message>
    <message>
        <source>Rarely</source>
        <translation>Rara vez</translation>
    </message>
    <message>
        <source>Occasionally</source>
        <translation>A veces</translation>
    </message>
    <message>
        <source>Frequently</source>
        <translation>A menudo</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Nivel %1 de %2</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>S&amp;onido</translation>
    </message>
    <message>
        <source>Original sounds (11 kHz, 8-bit)</source>
        <translation>Sonidos originales (11 kHz, 8 bits)</translation>
    </message>
    <message>
        <source>Full-bandwidth sounds (44.1 kHz)</source>
        <translation>Sonidos de ancho de banda completo (44,1 kHz)</translation>
    </message>
    <message>
        <source>Quillor Lullwood</source>
        <translation>Quillor Lullwood</translation>
    </message>
    <message>
        <source>&amp;Timer</source>
        <translation>&amp;Temporizador</translation>
    </message>
    <message>
        <source>Master Controls</source>
        <translation>Controles generales</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mudo</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Sonar</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
    <message>
        <source>Backgrnd</source>
        <translation>Fondo</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Efectos</translation>
    </message>
    <message>
        <source>Dynamic Random</source>
        <translation>Aleatorio dinámico</translation>
    </message>
    <message>
        <source>Clear all audio settings</source>
        <translation>Restablecer audio</translation>
    </message>
    <message>
        <source>Boost CPU Priority</source>
        <translation>Más prioridad CPU</translation>
    </message>
    <message>
        <source>Automatic Startup</source>
        <translation>Inicio automático</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Activar</translation>
    </message>
    <message>
        <source>Auto Hide</source>
        <translation>Oculto</translation>
    </message>
    <message>
        <source>Scenario filename:</source>
        <translation>Archivo escenario:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Buscar...</translation>
    </message>
    <message>
        <source>Right Click anywhere to load or save a scenario.</source>
        <translation>Clic derecho para cargar o guardar.</translation>
    </message>
    <message>
        <source>Backgrounds (up to 3)</source>
        <translation>Fondos (hasta 3)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ocultar</translation>
    </message>
    <message>
        <source>Random </source>
        <translation>Efectos aleatorios </translation>
    </message>
    <message>
        <source>Never         Rarely       Occasionally      Frequently</source>
        <translation>Nunca         Rara vez     A veces           A menudo</translation>
    </message>
    <message>
        <source>Background volume</source>
        <translation>Volumen de fondo</translation>
    </message>
    <message>
        <source>Random volume</source>
        <translation>Volumen de efectos aleatorios</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Mantener el equipo activo mientras suena</translation>
    </message>
    <message>
        <source>Lullwood could not keep the computer awake (%1). The computer may sleep while the soundscape plays.</source>
        <translation>Lullwood no ha podido mantener el equipo activo (%1). El equipo podría suspenderse mientras suena el paisaje sonoro.</translation>
    </message>
    <message>
        <source>Quillor Lullwood (RTCLK=options) </source>
        <translation>Quillor Lullwood (clic der.=opciones) </translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>No se ha podido abrir la ayuda.</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Cargar...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Guardar...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>S&amp;ilenciar</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Reproducir</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Acerca de Lullwood</translation>
    </message>
    <message>
        <source>&amp;Using Lullwood...</source>
        <translation>&amp;Uso de Lullwood...</translation>
    </message>
    <message>
        <source>&amp;Scenario</source>
        <translation>&amp;Escenario</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Ayuda</translation>
    </message>
    <message>
        <source>About Lullwood</source>
        <translation>Acerca de Lullwood</translation>
    </message>
    <message>
        <source>Ocean Surf</source>
        <translation>Oleaje marino</translation>
    </message>
    <message>
        <source>River</source>
        <translation>Río</translation>
    </message>
    <message>
        <source>White noise</source>
        <translation>Ruido blanco</translation>
    </message>
    <message>
        <source>Night time</source>
        <translation>Noche</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>Lluvia</translation>
    </message>
    <message>
        <source>Wind</source>
        <translation>Viento</translation>
    </message>
    <message>
        <source>Waterfall </source>
        <translation>Cascada </translation>
    </message>
    <message>
        <source>Brook</source>
        <translation>Arroyo</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Latido del corazón</translation>
    </message>
    <message>
        <source>Indian drum</source>
        <translation>Tabla india</translation>
    </message>
    <message>
        <source>South Am. jungle</source>
        <translation>Selva sudamericana</translation>
    </message>
    <message>
        <source>African jungle</source>
        <translation>Selva africana</translation>
    </message>
    <message>
        <source>Train track</source>
        <translation>Tren en la vía</translation>
    </message>
    <message>
        <source>Pink Noise</source>
        <translation>Ruido rosa</translation>
    </message>
    <message>
        <source>Ocean Breakers</source>
        <translation>Olas rompientes</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Riachuelo</translation>
    </message>
    <message>
        <source>Rain on glass</source>
        <translation>Lluvia en cristales</translation>
    </message>
    <message>
        <source>Light wind</source>
        <translation>Viento suave</translation>
    </message>
    <message>
        <source>Heavy wind</source>
        <translation>Viento fuerte</translation>
    </message>
    <message>
        <source>Strange wind</source>
        <translation>Viento inquietante</translation>
    </message>
    <message>
        <source>Factory</source>
        <translation>Fábrica</translation>
    </message>
    <message>
        <source>Museum</source>
        <translation>Sala de museo</translation>
    </message>
    <message>
        <source>Clock tick</source>
        <translation>Tictac del reloj</translation>
    </message>
    <message>
        <source>Dog Bark</source>
        <translation>Perro ladrando</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Caballo</translation>
    </message>
    <message>
        <source>Wolves</source>
        <translation>Lobos</translation>
    </message>
    <message>
        <source>Loon cry</source>
        <translation>Colimbo</translation>
    </message>
    <message>
        <source>Nightingale</source>
        <translation>Ruiseñor</translation>
    </message>
    <message>
        <source>Crow</source>
        <translation>Cuervo</translation>
    </message>
    <message>
        <source>Bird</source>
        <translation>Pájaro</translation>
    </message>
    <message>
        <source>High gliss</source>
        <translation>Glisando agudo</translation>
    </message>
    <message>
        <source>Sea Gull</source>
        <translation>Gaviota</translation>
    </message>
    <message>
        <source>Whale</source>
        <translation>Ballena</translation>
    </message>
    <message>
        <source>Ominous note</source>
        <translation>Nota ominosa</translation>
    </message>
    <message>
        <source>Hawk</source>
        <translation>Halcón</translation>
    </message>
    <message>
        <source>Church bell</source>
        <translation>Campanario</translation>
    </message>
    <message>
        <source>Distant thunder</source>
        <translation>Trueno lejano</translation>
    </message>
    <message>
        <source>Loon 2</source>
        <translation>Colimbo 2</translation>
    </message>
    <message>
        <source>Train whistle</source>
        <translation>Pitido de tren</translation>
    </message>
    <message>
        <source>Cardinal</source>
        <translation>Cardenal</translation>
    </message>
    <message>
        <source>Ship&apos;s horn</source>
        <translation>Sirena barco</translation>
    </message>
    <message>
        <source>Sea Lion</source>
        <translation>León marino</translation>
    </message>
    <message>
        <source>Distant Gulls</source>
        <translation>Gaviotas lej.</translation>
    </message>
    <message>
        <source>Pan flute</source>
        <translation>Flauta de Pan</translation>
    </message>
    <message>
        <source>Big thunder</source>
        <translation>Trueno fuerte</translation>
    </message>
    <message>
        <source>RW Blackbird</source>
        <translation>Tordo sargento</translation>
    </message>
    <message>
        <source>Wh. Crane</source>
        <translation>Grulla blanca</translation>
    </message>
    <message>
        <source>Oceanliner</source>
        <translation>Transatlántico</translation>
    </message>
    <message>
        <source>Cattle</source>
        <translation>Ganado</translation>
    </message>
    <message>
        <source>Robin </source>
        <translation>Petirrojo </translation>
    </message>
    <message>
        <source>Woodpecker</source>
        <translation>Carpintero</translation>
    </message>
    <message>
        <source>Frog</source>
        <translation>Rana</translation>
    </message>
    <message>
        <source>Crickets</source>
        <translation>Grillos</translation>
    </message>
    <message>
        <source>High Chimes</source>
        <translation>Carillón agudo</translation>
    </message>
    <message>
        <source>*ERROR* Could not write to registry.</source>
        <translation>*ERROR* No se ha podido escribir en el registro.</translation>
    </message>
    <message>
        <source>Suspend the computer when stopped</source>
        <translation>Suspender el equipo al detenerse</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>&amp;Desactivado</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minutos</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minutos</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 minutos</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 hora</translation>
    </message>
    <message>
        <source>1½ hours</source>
        <translation>1½ horas</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 horas</translation>
    </message>
    <message>
        <source>Fading out</source>
        <translation>Bajando el volumen</translation>
    </message>
    <message>
        <source>*ERROR* Could not save the scenario file.</source>
        <translation>*ERROR* No se ha podido guardar el archivo de escenario.</translation>
    </message>
    <message>
        <source>Lullwood Scenarios (*.lwd)</source>
        <translation>Escenarios de Lullwood (*.lwd)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Stops in %1 min</source>
        <translation>Se detiene en %1 min</translation>
    </message>
    <message>
        <source>* You can only have three background sounds active.  Disable another one first. </source>
        <translation>* Solo puede tener tres sonidos de fondo activos.  Desactive otro primero. </translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.</source>
        <translation>*ERROR* No se puede iniciar el sonido DirectX.  Es posible que el dispositivo de audio no esté disponible.</translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? </source>
        <translation>*ERROR* No se puede iniciar el sonido DirectX.  Es posible que el dispositivo de audio no esté disponible.  ¿Volver a intentarlo? </translation>
    </message>
    <message>
        <source>*ERROR* You must select a previously saved scenario filename with which to autostart.</source>
        <translation>*ERROR* Debe elegir un archivo de escenario guardado previamente para el inicio automático.</translation>
    </message>
    <message>
        <source>Lullwood is free software: you may share and change it under the GNU General Public License, version 3 or later. It comes with no warranty.</source>
        <translation>Lullwood es software libre: puede compartirlo y modificarlo según la GNU General Public License, versión 3 o posterior. Se ofrece sin ninguna garantía.</translation>
    </message>
    <message>
        <source>Playing a soundscape</source>
        <translation>Reproduciendo un paisaje sonoro</translation>
    </message>
    <message>
        <source>there is no system bus</source>
        <translation>no hay bus del sistema</translation>
    </message>
    <message>
        <source>the login manager gave no hold</source>
        <translation>el gestor de sesiones no concedió ningún bloqueo</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Lullwood is an ambient-sound generator: up to three looping backgrounds and 31 random sound effects, mixed into one soundscape that plays for as long as you like.</source>
        <translation>Lullwood es un generador de sonido ambiental: hasta tres fondos en bucle y 31 efectos de sonido aleatorios, mezclados en un único paisaje sonoro que suena todo el tiempo que quiera.</translation>
    </message>
    <message>
        <source>Every sound is synthesised by Lullwood itself and built into the program; none is recorded or downloaded.</source>
        <translation>Todos los sonidos los sintetiza el propio Lullwood y vienen integrados en el programa; ninguno es una grabación ni se descarga.</translation>
    </message>
    <message>
        <source>For help, choose Help &gt; Using Lullwood... in the main window.</source>
        <translation>Para obtener ayuda, elija Ayuda &gt; Uso de Lullwood... en la ventana principal.</translation>
    </message>
</context>
<context>
    <name>lullwood::CAboutDialog</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>lullwood::HelpWindow</name>
    <message>
        <source>Lullwood Help</source>
        <translation>Ayuda de Lullwood</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Contenido</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Atrás</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>A&amp;delante</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>C&amp;errar</translation>
    </message>
    <message>
        <source>Lullwood Help - %1</source>
        <translation>Ayuda de Lullwood - %1</translation>
    </message>
</context>
</TS>
