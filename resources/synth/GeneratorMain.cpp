// lullwood-synth OUTPUT_DIR [--full-band DIR] [RESOURCE...]: writes OUTPUT_DIR/<RESOURCE>.wav
// for every catalogue sound (or only the named ones), and with --full-band each sound's
// full-band rendition (16-bit, 44100 Hz) as DIR/<RESOURCE>.wav too, and the same samples
// losslessly encoded as DIR/<RESOURCE>.flac. Exits non-zero on any failure.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Generator.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path temp = path.string() + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lullwood::synth;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::filesystem::path fullBandDir;
  if (const auto at = std::find(arguments.begin(), arguments.end(), "--full-band");
      at != arguments.end()) {
    if (at + 1 == arguments.end())
      arguments.clear();  // no folder: the usage below
    else {
      fullBandDir = *(at + 1);
      arguments.erase(at, at + 2);
    }
  }
  if (arguments.empty()) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--full-band DIR] [RESOURCE...]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = arguments.front();
  for (const std::filesystem::path& folder : {dir, fullBandDir}) {
    if (folder.empty()) continue;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
      std::fprintf(stderr, "lullwood-synth: cannot create %s: %s\n", folder.c_str(),
                   ec.message().c_str());
      return 1;
    }
  }

  std::vector<std::string> problems;
  std::vector<SoundJob> jobs = CollectJobs(problems);
  if (arguments.size() > 1) {
    std::vector<std::string> wanted(arguments.begin() + 1, arguments.end());
    std::erase_if(jobs, [&](const SoundJob& j) {
      return std::find(wanted.begin(), wanted.end(), j.spec.resourceName) == wanted.end();
    });
    for (const std::string& w : wanted)
      if (std::none_of(jobs.begin(), jobs.end(),
                       [&](const SoundJob& j) { return j.spec.resourceName == w; }))
        problems.push_back(w + ": not in the catalogue");
  }

  // Sounds are independent; render them on two threads, results kept in catalogue order.
  std::vector<std::string> errors(jobs.size());
  std::vector<uint32_t> clamped(jobs.size(), 0);
  std::vector<std::vector<uint8_t>> images(jobs.size()), fullBand(jobs.size()), flac(jobs.size());
  auto work = [&](size_t first, size_t stride) {
    for (size_t i = first; i < jobs.size(); i += stride) {
      if (auto both = RenderRenditions(jobs[i], errors[i], !fullBandDir.empty())) {
        images[i] = std::move(both->original);
        fullBand[i] = std::move(both->fullBand);
        flac[i] = std::move(both->flac);
        clamped[i] = both->clamped;
      }
    }
  };
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 2);
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(work, t, threads);
  work(0, threads);
  for (std::thread& t : pool) t.join();

  for (size_t i = 0; i < jobs.size(); ++i) {
    const std::string name(jobs[i].spec.resourceName);
    if (!errors[i].empty()) {
      problems.push_back(errors[i]);
      continue;
    }
    if (clamped[i] > 0)
      std::fprintf(stderr, "lullwood-synth: warning: %s: %u samples clamped\n", name.c_str(),
                   clamped[i]);
    if (!WriteFile(dir / (name + ".wav"), images[i]))
      problems.push_back(name + ": cannot write " + (dir / (name + ".wav")).string());
    if (!fullBandDir.empty() && !WriteFile(fullBandDir / (name + ".wav"), fullBand[i]))
      problems.push_back(name + ": cannot write " + (fullBandDir / (name + ".wav")).string());
    if (!fullBandDir.empty() && !WriteFile(fullBandDir / (name + ".flac"), flac[i]))
      problems.push_back(name + ": cannot write " + (fullBandDir / (name + ".flac")).string());
  }
  for (const std::string& p : problems) std::fprintf(stderr, "lullwood-synth: %s\n", p.c_str());
  return problems.empty() ? 0 : 1;
}
