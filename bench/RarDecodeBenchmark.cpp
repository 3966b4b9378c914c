// Archives written by ynx-rar, unpacked by the engine's reader
// (Rar2Archive::ExtractAll, in memory), by libunarr (in process, in
// memory) and by the unar program (one process per run, writing the files
// into a temporary folder; BM_UnarTiny gives its start-up cost on a
// one-file archive, to be subtracted by the reader). Two 50 MiB corpora are
// made at start-up, the same every run: a mixed one (text, raw pictures,
// floats, PCM, far repeats, random bytes) packed in LZ mode only, and PCM
// sound packed in audio mode only.
//
// The packing itself is measured too: ynx-rar at -m3 and -m5 (audio mode
// chosen per block) next to `zip -9` and `gzip -9` on the mixed corpus,
// with the packed sizes as counters.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unarr.h>

#include "engine/io/Rar2Archive.h"
#include "tests/support/SampleData.h"

extern char** environ;

namespace ynx {
namespace {

namespace fs = std::filesystem;
using test::SampleData;

constexpr size_t MiB = size_t{1} << 20;

// Runs a program and waits; true when it exits with 0.
bool Run(std::vector<std::string> arguments) {
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  int status = 0;
  const bool started = posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

uint64_t FolderSize(const fs::path& folder) {
  uint64_t size = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) size += entry.file_size();
  }
  return size;
}

struct Corpora {
  Corpora() {
    root = fs::temp_directory_path() / ("ynx-rar-bench-" + std::to_string(getpid()));
    const fs::path mixed = root / "mixed", sound = root / "sound";
    for (int index = 0; index < 4; ++index) {
      SampleData::Write(mixed / ("text" + std::to_string(index) + ".txt"), SampleData::Text(3 * MiB, 100 + index));
    }
    for (int index = 0; index < 6; ++index) {
      SampleData::Write(mixed / ("picture" + std::to_string(index) + ".rgb"), SampleData::Picture(1024, 683, 200 + index));
    }
    for (int index = 0; index < 2; ++index) {
      SampleData::Write(mixed / ("samples" + std::to_string(index) + ".f32"), SampleData::Floats(MiB, 300 + index));
    }
    SampleData::Write(mixed / "mono8.raw", SampleData::Pcm(2 * MiB, 8, 1, 400));
    SampleData::Write(mixed / "stereo16.raw", SampleData::Pcm(MiB, 16, 2, 401));
    SampleData::Write(mixed / "far.bin", SampleData::FarRepeats(8 * MiB, 500));
    SampleData::Write(mixed / "random.bin", SampleData::Random(4 * MiB, 600));
    for (int index = 0; index < 8; ++index) {
      const int bits = index % 2 == 0 ? 8 : 16, channels = index % 4 + 1;
      const size_t frames = (6 * MiB + MiB / 4) / static_cast<size_t>(bits / 8 * channels);
      SampleData::Write(sound / ("sound" + std::to_string(index) + ".raw"), SampleData::Pcm(frames, bits, channels, 700 + index));
    }
    SampleData::Write(root / "tiny/tiny.txt", SampleData::Text(100, 800));
    mixedFolder = mixed;
    mixedSize = FolderSize(mixed);
    lz = Pack("lz.rar", {"-m3", "-mm-"}, mixed);
    audio = Pack("audio.rar", {"-m3", "-mm"}, sound);
    tiny = Pack("tiny.rar", {"-m3"}, root / "tiny");
    lzBytes = SampleData::Read(lz);
    audioBytes = SampleData::Read(audio);
    audioSize = FolderSize(sound);
  }
  ~Corpora() { fs::remove_all(root); }

  fs::path Pack(const std::string& name, const std::vector<std::string>& options, const fs::path& folder) const {
    std::vector<std::string> command = {YNX_RAR_PATH, "a"};
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(), {"-ep1", (root / name).string(), folder.string()});
    if (!Run(command)) std::fprintf(stderr, "ynx-rar could not pack %s\n", name.c_str());
    return root / name;
  }

  fs::path root;
  fs::path mixedFolder;
  fs::path lz, audio, tiny;
  std::vector<uint8_t> lzBytes, audioBytes;
  uint64_t mixedSize = 0, audioSize = 0;
};

const Corpora& Data() {
  static const Corpora corpora;
  return corpora;
}

const std::vector<uint8_t>& Archive(const benchmark::State& state) {
  return state.range(0) == 0 ? Data().lzBytes : Data().audioBytes;
}
uint64_t Unpacked(const benchmark::State& state) { return state.range(0) == 0 ? Data().mixedSize : Data().audioSize; }
void Label(benchmark::State& state) {
  state.SetLabel(state.range(0) == 0 ? "mixed, LZ mode" : "PCM, audio mode");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Unpacked(state)));
  state.counters["packed_bytes"] = static_cast<double>(Archive(state).size());
}

void BM_EngineExtractAll(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Archive(state);
  for (auto _ : state) {
    Rar2Archive archive;
    uint64_t total = 0;
    bool ok = archive.Open(bytes.data(), bytes.size());
    archive.ExtractAll([&](size_t, bool extracted, std::vector<uint8_t>& data) {
      ok = ok && extracted;
      total += data.size();
    });
    if (!ok || total != Unpacked(state)) state.SkipWithError("the engine's reader failed");
  }
  Label(state);
}

void BM_Unarr(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Archive(state);
  std::vector<uint8_t> buffer;
  // libunarr logs every entry with leftover bits to standard error.
  const int savedError = dup(2);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 2);
  for (auto _ : state) {
    ar_stream* stream = ar_open_memory(bytes.data(), bytes.size());
    ar_archive* archive = ar_open_rar_archive(stream);
    uint64_t total = 0;
    bool ok = archive != nullptr;
    while (ok && ar_parse_entry(archive)) {
      buffer.resize(ar_entry_get_size(archive));
      ok = buffer.empty() || ar_entry_uncompress(archive, buffer.data(), buffer.size());
      total += buffer.size();
    }
    if (archive != nullptr) ar_close_archive(archive);
    ar_close(stream);
    if (!ok || total != Unpacked(state)) state.SkipWithError("libunarr failed");
  }
  dup2(savedError, 2);
  close(savedError);
  close(null);
  Label(state);
}

// `unar` into a fresh folder per run; removing the files is not timed.
void RunUnar(benchmark::State& state, const fs::path& archive) {
  const fs::path output = Data().root / "unar";
  for (auto _ : state) {
    if (!Run({"unar", "-q", "-f", "-D", "-o", output.string(), archive.string()})) {
      state.SkipWithError("unar did not run (package unar)");
      break;
    }
    state.PauseTiming();
    fs::remove_all(output);
    state.ResumeTiming();
  }
}

void BM_Unar(benchmark::State& state) {
  RunUnar(state, state.range(0) == 0 ? Data().lz : Data().audio);
  Label(state);
}

void BM_UnarTiny(benchmark::State& state) { RunUnar(state, Data().tiny); }

// One packing of the mixed corpus; the packed size becomes a counter.
void Pack(benchmark::State& state, const std::vector<std::string>& command, const fs::path& output) {
  for (auto _ : state) {
    fs::remove(output);
    if (!Run(command)) state.SkipWithError("the packer did not run");
  }
  std::error_code code;
  const auto packed = static_cast<double>(fs::file_size(output, code));
  state.counters["packed_bytes"] = packed;
  state.counters["ratio_percent"] = 100.0 * packed / static_cast<double>(Data().mixedSize);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Data().mixedSize));
  fs::remove(output);
}

void BM_PackYnxRar(benchmark::State& state) {
  const fs::path output = Data().root / "packed.rar";
  Pack(state,
       {YNX_RAR_PATH, "a", "-m" + std::to_string(state.range(0)), "-ep1", output.string(),
        Data().mixedFolder.string()},
       output);
}

void BM_PackZip(benchmark::State& state) {
  const fs::path output = Data().root / "packed.zip";
  Pack(state, {"sh", "-c", "cd '" + Data().mixedFolder.string() + "' && zip -q -9 -r '" + output.string() + "' ."},
       output);
}

// Each file on its own (gzip packs one file), the members one after another.
void BM_PackGzip(benchmark::State& state) {
  const fs::path output = Data().root / "packed.gz";
  Pack(state,
       {"sh", "-c", "for f in '" + Data().mixedFolder.string() + "'/*; do gzip -9 -c \"$f\"; done > '" +
                        output.string() + "'"},
       output);
}

BENCHMARK(BM_EngineExtractAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unarr)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnarTiny)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackYnxRar)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PackZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PackGzip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
