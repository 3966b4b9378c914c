#pragma once

// The audio library's 2.x C interface as the program calls it, with the
// Windows types spelt as fixed-width integers (DWORD = uint32_t, QWORD =
// uint64_t, BOOL = int32_t) and window and GUID pointers as void*. The
// program loads libynxbass.so at run time and resolves these names with
// dlsym, so every name here is also a function-pointer type (Bass*Fn).

#include <cstdint>

#if defined(YNX_BASS_BUILDING)
#define YNX_BASS_API __attribute__((visibility("default")))
#else
#define YNX_BASS_API
#endif

extern "C" {

typedef uint32_t HMUSIC;
typedef uint32_t HSAMPLE;
typedef uint32_t HCHANNEL;
typedef uint32_t HSTREAM;
typedef uint32_t HRECORD;
typedef uint32_t HSYNC;
typedef uint32_t HDSP;
typedef uint32_t HFX;
typedef uint32_t HPLUGIN;

enum : int32_t {
  BASS_OK = 0,
  BASS_ERROR_MEM = 1,
  BASS_ERROR_FILEOPEN = 2,
  BASS_ERROR_DRIVER = 3,
  BASS_ERROR_HANDLE = 5,
  BASS_ERROR_FORMAT = 6,
  BASS_ERROR_POSITION = 7,
  BASS_ERROR_INIT = 8,
  BASS_ERROR_START = 9,
  BASS_ERROR_ALREADY = 14,
  BASS_ERROR_NOPAUSE = 16,
  BASS_ERROR_NOCHAN = 18,
  BASS_ERROR_ILLTYPE = 19,
  BASS_ERROR_ILLPARAM = 20,
  BASS_ERROR_NO3D = 21,
  BASS_ERROR_NOEAX = 22,
  BASS_ERROR_DEVICE = 23,
  BASS_ERROR_NOPLAY = 24,
  BASS_ERROR_FREQ = 25,
  BASS_ERROR_NOTFILE = 27,
  BASS_ERROR_NOHW = 29,
  BASS_ERROR_EMPTY = 31,
  BASS_ERROR_NONET = 32,
  BASS_ERROR_CREATE = 33,
  BASS_ERROR_NOFX = 34,
  BASS_ERROR_NOTAVAIL = 37,
  BASS_ERROR_DECODE = 38,
  BASS_ERROR_FILEFORM = 41,
  BASS_ERROR_UNKNOWN = -1,
};

// BASS_Init flags.
enum : uint32_t {
  BASS_DEVICE_8BITS = 1,
  BASS_DEVICE_MONO = 2,
  BASS_DEVICE_3D = 4,
};

// Sample and stream flags.
enum : uint32_t {
  BASS_SAMPLE_8BITS = 1,
  BASS_SAMPLE_MONO = 2,
  BASS_SAMPLE_LOOP = 4,
  BASS_SAMPLE_3D = 8,
  BASS_SAMPLE_SOFTWARE = 16,
  BASS_SAMPLE_FLOAT = 256,
  BASS_STREAM_PRESCAN = 0x20000,
  BASS_STREAM_AUTOFREE = 0x40000,
  BASS_STREAM_DECODE = 0x200000,
};

// BASS_SetConfig options; the global volumes run from 0 to 100.
enum : uint32_t {
  BASS_CONFIG_GVOL_SAMPLE = 4,
  BASS_CONFIG_GVOL_STREAM = 5,
  BASS_CONFIG_GVOL_MUSIC = 6,
};

// BASS_ChannelSet3DAttributes modes.
enum : int32_t {
  BASS_3DMODE_NORMAL = 0,
  BASS_3DMODE_RELATIVE = 1,
  BASS_3DMODE_OFF = 2,
};

// BASS_ChannelIsActive results.
enum : uint32_t {
  BASS_ACTIVE_STOPPED = 0,
  BASS_ACTIVE_PLAYING = 1,
  BASS_ACTIVE_STALLED = 2,
  BASS_ACTIVE_PAUSED = 3,
};

// Left-handed: +x right, +y up, +z ahead of a listener with the default
// orientation.
typedef struct BASS_3DVECTOR {
  float x;
  float y;
  float z;
} BASS_3DVECTOR;

typedef struct BASS_INFO {
  uint32_t flags;
  uint32_t hwsize;
  uint32_t hwfree;
  uint32_t freesam;
  uint32_t free3d;
  uint32_t minrate;
  uint32_t maxrate;
  int32_t eax;
  uint32_t minbuf;
  uint32_t dsver;
  uint32_t latency;
  uint32_t initflags;
  uint32_t speakers;
  const char* driver;
  uint32_t freq;
} BASS_INFO;

typedef struct BASS_RECORDINFO {
  uint32_t flags;
  uint32_t formats;
  uint32_t inputs;
  int32_t singlein;
  const char* driver;
  uint32_t freq;
} BASS_RECORDINFO;

typedef struct BASS_SAMPLE {
  uint32_t freq;
  uint32_t volume;
  int32_t pan;
  uint32_t flags;
  uint32_t length;
  uint32_t max;
  uint32_t origres;
  uint32_t chans;
  uint32_t mingap;
  uint32_t mode3d;
  float mindist;
  float maxdist;
  uint32_t iangle;
  uint32_t oangle;
  uint32_t outvol;
  uint32_t vam;
  uint32_t priority;
} BASS_SAMPLE;

typedef struct BASS_CHANNELINFO {
  uint32_t freq;
  uint32_t chans;
  uint32_t flags;
  uint32_t ctype;
  uint32_t origres;
  HPLUGIN plugin;
} BASS_CHANNELINFO;

typedef uint32_t(STREAMPROC)(HSTREAM handle, void* buffer, uint32_t length, uint32_t user);
typedef void(STREAMFILEPROC)(uint32_t action, uint32_t param1, uint32_t param2, uint32_t user);
typedef void(DOWNLOADPROC)(const void* buffer, uint32_t length, uint32_t user);
typedef void(SYNCPROC)(HSYNC handle, uint32_t channel, uint32_t data, uint32_t user);
typedef void(DSPPROC)(HDSP handle, uint32_t channel, void* buffer, uint32_t length, uint32_t user);
typedef int32_t(RECORDPROC)(HRECORD handle, const void* buffer, uint32_t length, uint32_t user);

// Each entry as X(return type, name, parameter list). The first group
// works as the 2.x documentation says; the second exists so that every
// name resolves, and fails with BASS_ERROR_NOTAVAIL.
#define YNX_BASS_WORKING_ENTRIES(X) \
  X(uint32_t, BASS_SetConfig, (uint32_t option, uint32_t value)) \
  X(uint32_t, BASS_GetConfig, (uint32_t option)) \
  X(uint32_t, BASS_GetVersion, (void)) \
  X(const char*, BASS_GetDeviceDescription, (uint32_t device)) \
  X(int32_t, BASS_ErrorGetCode, (void)) \
  X(int32_t, BASS_Init, (int32_t device, uint32_t freq, uint32_t flags, void* win, const void* dsguid)) \
  X(uint32_t, BASS_GetDevice, (void)) \
  X(int32_t, BASS_Free, (void)) \
  X(int32_t, BASS_Set3DFactors, (float distf, float rollf, float doppf)) \
  X(int32_t, BASS_Get3DFactors, (float* distf, float* rollf, float* doppf)) \
  X(int32_t, BASS_Set3DPosition, (const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front, const BASS_3DVECTOR* top)) \
  X(int32_t, BASS_Get3DPosition, (BASS_3DVECTOR * pos, BASS_3DVECTOR * vel, BASS_3DVECTOR * front, BASS_3DVECTOR * top)) \
  X(void, BASS_Apply3D, (void)) \
  X(HSTREAM, BASS_StreamCreateFile, (int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags)) \
  X(void, BASS_StreamFree, (HSTREAM handle)) \
  X(uint32_t, BASS_ChannelIsActive, (uint32_t handle)) \
  X(int32_t, BASS_ChannelGetInfo, (uint32_t handle, BASS_CHANNELINFO * info)) \
  X(int32_t, BASS_ChannelSetFlags, (uint32_t handle, uint32_t flags)) \
  X(int32_t, BASS_ChannelPlay, (uint32_t handle, int32_t restart)) \
  X(int32_t, BASS_ChannelStop, (uint32_t handle)) \
  X(int32_t, BASS_ChannelPause, (uint32_t handle)) \
  X(int32_t, BASS_ChannelSetAttributes, (uint32_t handle, int32_t freq, int32_t volume, int32_t pan)) \
  X(int32_t, BASS_ChannelGetAttributes, (uint32_t handle, uint32_t * freq, uint32_t * volume, int32_t * pan)) \
  X(int32_t, BASS_ChannelSet3DAttributes, (uint32_t handle, int32_t mode, float min, float max, int32_t iangle, int32_t oangle, int32_t outvol)) \
  X(int32_t, BASS_ChannelGet3DAttributes, (uint32_t handle, uint32_t * mode, float* min, float* max, uint32_t* iangle, uint32_t* oangle, uint32_t* outvol)) \
  X(int32_t, BASS_ChannelSet3DPosition, (uint32_t handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient, const BASS_3DVECTOR* vel)) \
  X(int32_t, BASS_ChannelGet3DPosition, (uint32_t handle, BASS_3DVECTOR * pos, BASS_3DVECTOR * orient, BASS_3DVECTOR * vel))

#define YNX_BASS_FAILING_ENTRIES(X) \
  X(int32_t, BASS_SetDevice, (uint32_t device)) \
  X(void*, BASS_GetDSoundObject, (uint32_t object)) \
  X(int32_t, BASS_GetInfo, (BASS_INFO * info)) \
  X(int32_t, BASS_Update, (void)) \
  X(float, BASS_GetCPU, (void)) \
  X(int32_t, BASS_Start, (void)) \
  X(int32_t, BASS_Stop, (void)) \
  X(int32_t, BASS_Pause, (void)) \
  X(int32_t, BASS_SetVolume, (uint32_t volume)) \
  X(uint32_t, BASS_GetVolume, (void)) \
  X(HPLUGIN, BASS_PluginLoad, (const char* file)) \
  X(int32_t, BASS_PluginFree, (HPLUGIN handle)) \
  X(int32_t, BASS_SetEAXParameters, (int32_t env, float vol, float decay, float damp)) \
  X(int32_t, BASS_GetEAXParameters, (uint32_t * env, float* vol, float* decay, float* damp)) \
  X(HMUSIC, BASS_MusicLoad, (int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags, uint32_t freq)) \
  X(void, BASS_MusicFree, (HMUSIC handle)) \
  X(uint32_t, BASS_MusicSetAttribute, (HMUSIC handle, uint32_t attrib, uint32_t value)) \
  X(uint32_t, BASS_MusicGetAttribute, (HMUSIC handle, uint32_t attrib)) \
  X(uint32_t, BASS_MusicGetOrders, (HMUSIC handle)) \
  X(uint32_t, BASS_MusicGetOrderPosition, (HMUSIC handle)) \
  X(HSAMPLE, BASS_SampleLoad, (int32_t mem, const void* file, uint32_t offset, uint32_t length, uint32_t max, uint32_t flags)) \
  X(void*, BASS_SampleCreate, (uint32_t length, uint32_t freq, uint32_t chans, uint32_t max, uint32_t flags)) \
  X(HSAMPLE, BASS_SampleCreateDone, (void)) \
  X(void, BASS_SampleFree, (HSAMPLE handle)) \
  X(int32_t, BASS_SampleGetInfo, (HSAMPLE handle, BASS_SAMPLE * info)) \
  X(int32_t, BASS_SampleSetInfo, (HSAMPLE handle, const BASS_SAMPLE* info)) \
  X(HCHANNEL, BASS_SampleGetChannel, (HSAMPLE handle, int32_t onlynew)) \
  X(int32_t, BASS_SampleStop, (HSAMPLE handle)) \
  X(HSTREAM, BASS_StreamCreate, (uint32_t freq, uint32_t chans, uint32_t flags, STREAMPROC * proc, uint32_t user)) \
  X(HSTREAM, BASS_StreamCreateURL, (const char* url, uint32_t offset, uint32_t flags, DOWNLOADPROC* proc, uint32_t user)) \
  X(HSTREAM, BASS_StreamCreateFileUser, (int32_t buffered, uint32_t flags, STREAMFILEPROC * proc, uint32_t user)) \
  X(uint32_t, BASS_StreamGetFilePosition, (HSTREAM handle, uint32_t mode)) \
  X(const char*, BASS_RecordGetDeviceDescription, (uint32_t device)) \
  X(int32_t, BASS_RecordInit, (int32_t device)) \
  X(int32_t, BASS_RecordSetDevice, (uint32_t device)) \
  X(uint32_t, BASS_RecordGetDevice, (void)) \
  X(int32_t, BASS_RecordFree, (void)) \
  X(int32_t, BASS_RecordGetInfo, (BASS_RECORDINFO * info)) \
  X(const char*, BASS_RecordGetInputName, (int32_t input)) \
  X(int32_t, BASS_RecordSetInput, (int32_t input, uint32_t setting)) \
  X(uint32_t, BASS_RecordGetInput, (int32_t input)) \
  X(HRECORD, BASS_RecordStart, (uint32_t freq, uint32_t chans, uint32_t flags, RECORDPROC * proc, uint32_t user)) \
  X(float, BASS_ChannelBytes2Seconds, (uint32_t handle, uint64_t pos)) \
  X(uint64_t, BASS_ChannelSeconds2Bytes, (uint32_t handle, float pos)) \
  X(uint32_t, BASS_ChannelGetDevice, (uint32_t handle)) \
  X(const char*, BASS_ChannelGetTags, (uint32_t handle, uint32_t tags)) \
  X(int32_t, BASS_ChannelPreBuf, (uint32_t handle, uint32_t length)) \
  X(int32_t, BASS_ChannelSlideAttributes, (uint32_t handle, int32_t freq, int32_t volume, int32_t pan, uint32_t time)) \
  X(uint32_t, BASS_ChannelIsSliding, (uint32_t handle)) \
  X(uint64_t, BASS_ChannelGetLength, (uint32_t handle)) \
  X(int32_t, BASS_ChannelSetPosition, (uint32_t handle, uint64_t pos)) \
  X(uint64_t, BASS_ChannelGetPosition, (uint32_t handle)) \
  X(uint32_t, BASS_ChannelGetLevel, (uint32_t handle)) \
  X(uint32_t, BASS_ChannelGetData, (uint32_t handle, void* buffer, uint32_t length)) \
  X(HSYNC, BASS_ChannelSetSync, (uint32_t handle, uint32_t type, uint64_t param, SYNCPROC * proc, uint32_t user)) \
  X(int32_t, BASS_ChannelRemoveSync, (uint32_t handle, HSYNC sync)) \
  X(HDSP, BASS_ChannelSetDSP, (uint32_t handle, DSPPROC * proc, uint32_t user, int32_t priority)) \
  X(int32_t, BASS_ChannelRemoveDSP, (uint32_t handle, HDSP dsp)) \
  X(int32_t, BASS_ChannelSetEAXMix, (uint32_t handle, float mix)) \
  X(int32_t, BASS_ChannelGetEAXMix, (uint32_t handle, float* mix)) \
  X(int32_t, BASS_ChannelSetLink, (uint32_t handle, uint32_t chan)) \
  X(int32_t, BASS_ChannelRemoveLink, (uint32_t handle, uint32_t chan)) \
  X(HFX, BASS_ChannelSetFX, (uint32_t handle, uint32_t type, int32_t priority)) \
  X(int32_t, BASS_ChannelRemoveFX, (uint32_t handle, HFX fx)) \
  X(int32_t, BASS_FXSetParameters, (HFX handle, const void* par)) \
  X(int32_t, BASS_FXGetParameters, (HFX handle, void* par))

#define YNX_BASS_ENTRIES(X) YNX_BASS_WORKING_ENTRIES(X) YNX_BASS_FAILING_ENTRIES(X)

#define YNX_BASS_DECLARE(ret, name, params) \
  YNX_BASS_API ret name params;             \
  typedef ret(*name##Fn) params;
YNX_BASS_ENTRIES(YNX_BASS_DECLARE)
#undef YNX_BASS_DECLARE

// Test-only, never resolved by the program: the next BASS_Init opens an
// in-process loopback device at `freq` Hz, stereo float, instead of the
// output (0 goes back to the output). Only while no device is open.
YNX_BASS_API int32_t YNX_BassUseLoopback(uint32_t freq);
// Test-only: feeds every playing stream and mixes `frames` stereo frames of
// the loopback device into `out` (2 * frames floats). FALSE without one.
YNX_BASS_API int32_t YNX_BassRenderLoopback(float* out, int32_t frames);
}
