// JPEG decoding of a 1024 x 1024 photo-like picture (quality 85) through
// JPGImageCodec, next to libjpeg called directly and the djpeg program
// decoding the same file. djpeg runs as a child process per decode, so its
// figure includes process start-up; BM_DjpegTiny measures that start-up on
// an 8 x 8 file, to be subtracted by the reader.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "engine/io/Image.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/MemoryFile.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/SampleData.h"

extern char** environ;

namespace ynx {
namespace {

constexpr uint32_t SIZE = 1024;
constexpr int QUALITY = 85;

// The encoded pictures, also on disk for djpeg; removed at exit.
struct Files {
  Files() {
    const test::JpegEncoder::Options options{.quality = QUALITY, .arithmetic = false, .scans = {}};
    photo = test::JpegEncoder::Encode(SIZE, SIZE, JCS_RGB, 3, test::SampleData::Picture(SIZE, SIZE, 1), options);
    tiny = test::JpegEncoder::Encode(8, 8, JCS_RGB, 3, test::SampleData::Picture(8, 8, 1), options);
    photoPath = Write("photo", photo);
    tinyPath = Write("tiny", tiny);
  }
  ~Files() {
    std::remove(photoPath.c_str());
    std::remove(tinyPath.c_str());
  }
  static std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = "/tmp/ynx-bench-" + std::string(name) + "-" + std::to_string(getpid()) + ".jpg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    return path;
  }

  std::vector<uint8_t> photo;
  std::vector<uint8_t> tiny;
  std::string photoPath;
  std::string tinyPath;
};

const Files& TestFiles() {
  static const Files files;
  return files;
}

void BM_CodecDecode(benchmark::State& state) {
  const Files& files = TestFiles();
  MemoryFile file{String("photo.jpg")};
  file.SetSource(files.photo.data(), static_cast<int32_t>(files.photo.size()), false);
  JPGImageCodec codec;
  for (auto _ : state) {
    Image image;
    if (codec.Load(&file, &image) != 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.GetData());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{SIZE} * SIZE * 3);
  state.counters["jpeg_bytes"] = static_cast<double>(files.photo.size());
}

// The floor: libjpeg into one buffer, no copy of the file, rows in file order.
void BM_LibjpegDecode(benchmark::State& state) {
  const Files& files = TestFiles();
  std::vector<uint8_t> pixels(size_t{SIZE} * SIZE * 3);
  for (auto _ : state) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, files.photo.data(), files.photo.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.data() + size_t{info.output_scanline} * SIZE * 3;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{SIZE} * SIZE * 3);
}

// One `djpeg -outfile /dev/null FILE` per iteration, timed by the wall clock.
void RunDjpeg(benchmark::State& state, const std::string& path, int64_t pixelBytes) {
  char program[] = "djpeg", option[] = "-outfile", target[] = "/dev/null";
  std::string file = path;
  char* arguments[] = {program, option, target, file.data(), nullptr};
  for (auto _ : state) {
    pid_t child = 0;
    int status = 0;
    if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("djpeg did not run (package libjpeg-turbo-progs)");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * pixelBytes);
}

void BM_DjpegDecode(benchmark::State& state) {
  RunDjpeg(state, TestFiles().photoPath, int64_t{SIZE} * SIZE * 3);
}

void BM_DjpegTiny(benchmark::State& state) { RunDjpeg(state, TestFiles().tinyPath, 8 * 8 * 3); }

BENCHMARK(BM_CodecDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DjpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DjpegTiny)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
