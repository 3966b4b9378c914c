// Calls that must fail cleanly, with the error code the 2.x documentation
// gives: before Init, after Free, on stale handles, on bad data, and the
// names that exist only so that every name resolves.

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include <cstring>
#include <functional>
#include <thread>

#include "tests/bass/LoopbackFixture.h"

namespace ynx::test {
namespace {

constexpr uint32_t kSecond = 44100;

// Every call that needs an open device, each failing with BASS_ERROR_INIT
// while there is none.
void ExpectEverythingNeedsInit(HSTREAM stream) {
  const uint8_t bytes[16] = {};
  const BASS_3DVECTOR zero{};
  const struct {
    const char* name;
    std::function<bool()> call;
  } calls[] = {
      {"StreamCreateFile", [&] { return BASS_StreamCreateFile(1, bytes, 0, sizeof bytes, 0) != 0; }},
      {"Set3DFactors", [] { return BASS_Set3DFactors(1, 1, 1) != 0; }},
      {"Set3DPosition", [&] { return BASS_Set3DPosition(nullptr, nullptr, &zero, &zero) != 0; }},
      {"Apply3D", [] { BASS_Apply3D(); return BASS_ErrorGetCode() == BASS_OK; }},
      {"GetDevice", [] { return BASS_GetDevice() != 0xFFFFFFFFu; }},
      {"Free", [] { return BASS_Free() != 0; }},
      {"ChannelPlay", [&] { return BASS_ChannelPlay(stream, 0) != 0; }},
      {"ChannelStop", [&] { return BASS_ChannelStop(stream) != 0; }},
      {"ChannelSetFlags", [&] { return BASS_ChannelSetFlags(stream, BASS_SAMPLE_LOOP) != 0; }},
      {"ChannelSetAttributes", [&] { return BASS_ChannelSetAttributes(stream, -1, 50, -101) != 0; }},
      {"ChannelSet3DAttributes", [&] { return BASS_ChannelSet3DAttributes(stream, 0, 2, -1, -1, -1, -1) != 0; }},
      {"ChannelSet3DPosition", [&] { return BASS_ChannelSet3DPosition(stream, &zero, nullptr, nullptr) != 0; }},
      {"ChannelIsActive", [&] { return BASS_ChannelIsActive(stream) != 0 || BASS_ErrorGetCode() == BASS_OK; }},
      {"StreamFree", [&] { BASS_StreamFree(stream); return BASS_ErrorGetCode() == BASS_OK; }},
  };
  for (const auto& call : calls) {
    EXPECT_FALSE(call.call()) << call.name;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT) << call.name;
  }
  EXPECT_EQ(BASS_GetVersion(), 0x20002u);
}

TEST(BassLifecycleTest, CallsBeforeInitAndAfterFreeFailWithInitError) {
  ExpectEverythingNeedsInit(0x10001);
  // The configuration needs no device.
  EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 70), 70u);
  EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 70u);
  EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 150), 100u);
  EXPECT_EQ(BASS_SetConfig(99, 1), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

  ASSERT_TRUE(YNX_BassUseLoopback(44100));
  ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_3D, nullptr, nullptr));
  EXPECT_EQ(BASS_GetDevice(), 1u);
  EXPECT_NE(BASS_GetDeviceDescription(1), nullptr);
  EXPECT_EQ(BASS_GetDeviceDescription(2), nullptr);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  const std::vector<uint8_t> file = OggToneEncoder::Encode(44100, 4410, {{}});
  const HSTREAM stream = BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()), 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  ASSERT_TRUE(BASS_Free());
  ExpectEverythingNeedsInit(stream);
  YNX_BassUseLoopback(0);
}

// Where no sound device exists (as on the build machines) OpenAL's null
// output plays in real time, fed by the library's own thread, and nothing
// is written to standard error on the way.
TEST(BassLifecycleTest, DefaultOutputPlaysQuietly) {
  std::FILE* captured = std::tmpfile();
  ASSERT_NE(captured, nullptr);
  std::fflush(stderr);
  const int savedError = dup(2);
  dup2(fileno(captured), 2);
  ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_3D, nullptr, nullptr));
  const std::vector<uint8_t> file = OggToneEncoder::Encode(44100, 4410, {{}});
  const HSTREAM stream = BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()), BASS_SAMPLE_3D);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  // A tenth of a second of sound; the wait is bounded only to fail rather
  // than hang.
  for (int wait = 0; wait < 500 && BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(BASS_Free());
  std::fflush(stderr);
  dup2(savedError, 2);
  close(savedError);
  EXPECT_EQ(std::ftell(captured), 0L) << "standard error got output";
  std::fclose(captured);
}

using BassHandleTest = LoopbackFixture;

TEST_F(BassHandleTest, StaleHandlesFailWithHandleError) {
  const HSTREAM first = Stream(kSecond, 0);
  BASS_StreamFree(first);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  const HSTREAM second = Stream(kSecond, 0);
  EXPECT_NE(second, first) << "a reused slot must give a new handle";
  for (const HSTREAM stale : {first, HSTREAM{0}, HSTREAM{0xFFFF}, second + 1}) {
    EXPECT_FALSE(BASS_ChannelPlay(stale, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_ChannelIsActive(stale), BASS_ACTIVE_STOPPED);
    BASS_StreamFree(stale);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  }
  EXPECT_TRUE(BASS_ChannelPlay(second, 1));

  // Handles do not come back to life with the next device either.
  ASSERT_TRUE(BASS_Free());
  ASSERT_TRUE(BASS_Init(-1, kRate, BASS_DEVICE_3D, nullptr, nullptr));
  const HSTREAM third = Stream(kSecond, 0);
  EXPECT_NE(third, second);
  EXPECT_FALSE(BASS_ChannelStop(second));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(BassHandleTest, BadStreamsFailWithTheirCodes) {
  const std::vector<uint8_t> good = OggToneEncoder::Encode(kRate, 4410, {{}});
  const std::vector<uint8_t> noise(4096, 0x5A);
  const std::vector<uint8_t> truncated(good.begin(), good.begin() + 40);
  const struct {
    const char* name;
    const void* file;
    uint32_t length;
    uint32_t flags;
    int32_t error;
  } cases[] = {
      {"no bytes", nullptr, 100, 0, BASS_ERROR_ILLPARAM},
      {"empty block", good.data(), 0, 0, BASS_ERROR_ILLPARAM},
      {"not Ogg", noise.data(), static_cast<uint32_t>(noise.size()), 0, BASS_ERROR_FILEFORM},
      {"cut in its header", truncated.data(), static_cast<uint32_t>(truncated.size()), 0, BASS_ERROR_FILEFORM},
      {"decode-only", good.data(), static_cast<uint32_t>(good.size()), BASS_STREAM_DECODE, BASS_ERROR_NOTAVAIL},
  };
  for (const auto& testCase : cases) {
    EXPECT_EQ(BASS_StreamCreateFile(1, testCase.file, 0, testCase.length, testCase.flags), 0u) << testCase.name;
    EXPECT_EQ(BASS_ErrorGetCode(), testCase.error) << testCase.name;
  }
  EXPECT_EQ(BASS_StreamCreateFile(0, "/nonexistent/file.ogg", 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

  // A two-dimensional stream has no 3D settings.
  const HSTREAM flat = Stream(kSecond, 0);
  const BASS_3DVECTOR zero{};
  EXPECT_FALSE(BASS_ChannelSet3DPosition(flat, &zero, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NO3D);
  EXPECT_FALSE(BASS_ChannelSetAttributes(flat, -1, 101, -101));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

  // Without 3D at Init there are no 3D streams.
  ASSERT_TRUE(BASS_Free());
  ASSERT_TRUE(BASS_Init(-1, kRate, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_StreamCreateFile(1, good.data(), 0, static_cast<uint32_t>(good.size()), BASS_SAMPLE_3D), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NO3D);
}

TEST_F(BassHandleTest, NamesOutsideTheEngineFailWithNotAvailable) {
  EXPECT_EQ(BASS_MusicLoad(1, "x", 0, 1, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(BASS_SampleGetChannel(1, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
  EXPECT_EQ(BASS_ChannelSetPosition(1, 0), 0);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

TEST_F(BassHandleTest, SecondInitKeepsStreamsAndErrorsArePerThread) {
  const HSTREAM stream = Stream(kSecond, BASS_SAMPLE_3D);
  ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
  ASSERT_TRUE(BASS_Set3DFactors(1, 7, 1));
  EXPECT_TRUE(BASS_Init(-1, kRate, BASS_DEVICE_3D, reinterpret_cast<void*>(0x1234), nullptr));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  float rolloff = 0;
  ASSERT_TRUE(BASS_Get3DFactors(nullptr, &rolloff, nullptr));
  EXPECT_EQ(rolloff, 7.0f);

  EXPECT_FALSE(BASS_ChannelPlay(0, 0));
  std::thread([] {
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_TRUE(BASS_ChannelIsActive(1) == 0 && BASS_ErrorGetCode() == BASS_ERROR_HANDLE);
  }).join();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// The caller's bytes are read until StreamFree and never after: the pages
// are made unreadable once it returns, and the other streams play on.
TEST_F(BassHandleTest, CallersBytesAreNotReadAfterStreamFree) {
  const std::vector<uint8_t> file = OggToneEncoder::Encode(kRate, kSecond, {{}});
  const size_t size = (file.size() + 4095) / 4096 * 4096;
  void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  std::memcpy(pages, file.data(), file.size());
  const HSTREAM guarded = BASS_StreamCreateFile(1, pages, 0, static_cast<uint32_t>(file.size()), BASS_SAMPLE_LOOP);
  const HSTREAM other = Stream(kSecond, BASS_SAMPLE_LOOP);
  ASSERT_TRUE(BASS_ChannelPlay(guarded, 0));
  ASSERT_TRUE(BASS_ChannelPlay(other, 0));
  Render(8192);
  BASS_StreamFree(guarded);
  ASSERT_EQ(mprotect(pages, size, PROT_NONE), 0);
  Render(kSecond);
  EXPECT_EQ(BASS_ChannelIsActive(other), BASS_ACTIVE_PLAYING);
  munmap(pages, size);
}

}  // namespace
}  // namespace ynx::test
