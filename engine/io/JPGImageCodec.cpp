#include "engine/io/JPGImageCodec.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include <jpeglib.h>
// After jpeglib.h, whose types it uses.
#include <jerror.h>

#include "engine/core/Log.h"
#include "engine/io/File.h"
#include "engine/io/Image.h"

namespace ynx {
namespace {

// libjpeg's own working memory (coefficient buffers of progressive files):
// a hostile header must not make it allocate without bound.
constexpr long LIBJPEG_MEMORY_LIMIT = 512L * 1024 * 1024;
constexpr size_t FIRST_OUTPUT_SIZE = 64 * 1024;
// A JPEG may describe a picture far larger than its data: arithmetic-coded
// scans may legally stop early and leave the rest to the decoder. Above a
// size that covers any texture, a picture may be at most this many times
// its file (flat colour at baseline compresses about 350 times), so that a
// few hundred hostile bytes cannot cost gigabytes and seconds.
constexpr uint64_t UNCHECKED_PICTURE_SIZE = 64 * 1024 * 1024;
constexpr uint64_t MAX_EXPANSION = 1024;
// Real progressive files have about ten scans; each scan costs a pass over
// the whole picture.
constexpr int MAX_SCANS = 100;

// libjpeg reports a fatal error through error_exit, which must not return:
// ours logs and jumps back into the function that set `jump`, which then
// destroys the codec object. The frames jumped over are libjpeg's and the
// callbacks below, none of which holds an object with a destructor.
struct ErrorManager {
  jpeg_error_mgr base;
  void (*defaultEmit)(j_common_ptr, int);
  std::jmp_buf jump;
};

void LogMessage(j_common_ptr info) {
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  LogWarning("%d %s", info->err->msg_code, text);
}

[[noreturn]] void Abandon(j_common_ptr info) {
  LogMessage(info);
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// When the data of a file ends early (or loses its place) libjpeg only warns
// and makes up the rest of the picture; to us that file is broken, so those
// warnings are fatal. Others (stray bytes between markers, unknown header
// versions) leave a good picture and stay warnings.
void EmitMessage(j_common_ptr info, int level) {
  const int code = info->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC)) {
    Abandon(info);
  }
  reinterpret_cast<ErrorManager*>(info->err)->defaultEmit(info, level);
}

// Called between steps of reading; stops a file of endless scans.
void WatchScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MAX_SCANS) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
  }
}

void InstallErrorManager(ErrorManager& errors, j_common_ptr info) {
  info->err = jpeg_std_error(&errors.base);
  errors.base.error_exit = &Abandon;
  errors.base.output_message = &LogMessage;
  errors.defaultEmit = errors.base.emit_message;
  errors.base.emit_message = &EmitMessage;
}

// A decoded picture as plain data, so that it survives a jump.
struct Decoded {
  uint8_t* pixels = nullptr;  // new[]
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t format = 0;
};

// No object with a destructor may live in this function: libjpeg's errors
// jump back into it. On failure nothing is left allocated.
int32_t Decode(const uint8_t* bytes, int32_t count, Decoded& decoded) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  InstallErrorManager(errors, reinterpret_cast<j_common_ptr>(&info));
  jpeg_progress_mgr progress{};
  progress.progress_monitor = &WatchScans;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    delete[] decoded.pixels;
    decoded.pixels = nullptr;
    return 1;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = LIBJPEG_MEMORY_LIMIT;
  info.progress = &progress;
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(count));
  jpeg_read_header(&info, TRUE);
  if (info.num_components == 1) {
    info.out_color_space = JCS_GRAYSCALE;
    decoded.format = Image::FORMAT_GREY;
  } else if (info.num_components == 3) {
    info.out_color_space = JCS_RGB;
    decoded.format = Image::FORMAT_RGB;
  } else {
    jpeg_destroy_decompress(&info);
    return 1;
  }
  // Checked before libjpeg allocates anything of the picture's size.
  const uint64_t claimed = Image::DataSize(decoded.format, info.image_width, info.image_height);
  if (claimed > Image::MAX_DATA_SIZE ||
      (claimed > UNCHECKED_PICTURE_SIZE && claimed / MAX_EXPANSION > static_cast<uint64_t>(count))) {
    jpeg_destroy_decompress(&info);
    return 1;
  }
  jpeg_start_decompress(&info);
  decoded.width = info.output_width;
  decoded.height = info.output_height;
  const uint64_t size = Image::DataSize(decoded.format, decoded.width, decoded.height);
  if (size == 0 || size > Image::MAX_DATA_SIZE ||
      info.output_components != Image::BytesPerPixel(decoded.format)) {
    jpeg_destroy_decompress(&info);
    return 1;
  }
  decoded.pixels = new (std::nothrow) uint8_t[size];
  if (decoded.pixels == nullptr) {
    jpeg_destroy_decompress(&info);
    return 2;
  }
  const uint64_t rowBytes = size / decoded.height;
  while (info.output_scanline < info.output_height) {
    // The first decoded row is the top one: it becomes the last.
    JSAMPROW row = decoded.pixels + (decoded.height - 1 - info.output_scanline) * rowBytes;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return 0;
}

// The compressed file, grown with realloc; the codec frees `bytes` whatever
// happens, since after an error libjpeg never calls term_destination.
struct MemoryDestination {
  jpeg_destination_mgr base;
  JOCTET* bytes;
  size_t capacity;
  size_t size;
};

void StartOutput(j_compress_ptr info) {
  auto* destination = reinterpret_cast<MemoryDestination*>(info->dest);
  destination->bytes = static_cast<JOCTET*>(std::malloc(FIRST_OUTPUT_SIZE));
  if (destination->bytes == nullptr) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
  destination->capacity = FIRST_OUTPUT_SIZE;
  destination->base.next_output_byte = destination->bytes;
  destination->base.free_in_buffer = FIRST_OUTPUT_SIZE;
}

boolean GrowOutput(j_compress_ptr info) {
  auto* destination = reinterpret_cast<MemoryDestination*>(info->dest);
  const size_t grown = destination->capacity * 2;
  auto* bytes = static_cast<JOCTET*>(std::realloc(destination->bytes, grown));
  if (bytes == nullptr) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
  destination->bytes = bytes;
  destination->base.next_output_byte = bytes + destination->capacity;
  destination->base.free_in_buffer = grown - destination->capacity;
  destination->capacity = grown;
  return TRUE;
}

void FinishOutput(j_compress_ptr info) {
  auto* destination = reinterpret_cast<MemoryDestination*>(info->dest);
  destination->size = destination->capacity - destination->base.free_in_buffer;
}

// The same rule as Decode: nothing with a destructor lives here.
int32_t Encode(const Image& image, int quality, MemoryDestination& destination) {
  jpeg_compress_struct info;
  ErrorManager errors;
  InstallErrorManager(errors, reinterpret_cast<j_common_ptr>(&info));
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&info);
    return 1;
  }
  jpeg_create_compress(&info);
  destination.base.init_destination = &StartOutput;
  destination.base.empty_output_buffer = &GrowOutput;
  destination.base.term_destination = &FinishOutput;
  info.dest = &destination.base;
  const bool grey = image.GetFormat() == Image::FORMAT_GREY;
  info.image_width = image.GetWidth();
  info.image_height = image.GetHeight();
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const uint64_t rowBytes = Image::DataSize(image.GetFormat(), image.GetWidth(), 1);
  while (info.next_scanline < info.image_height) {
    // libjpeg only reads the rows it is given.
    JSAMPROW row = image.GetData() + (info.image_height - 1 - info.next_scanline) * rowBytes;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return 0;
}

}  // namespace

JPGImageCodec::JPGImageCodec() : ImageCodec(String(NAME)) {
  AddExtensions({"JPG", "jpg", "Jpg", "JPEG", "jpeg", "Jpeg"});
}

int32_t JPGImageCodec::Load(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 3;
  if (file->Open(File::MODE_READ) != 0) return 1;
  Decoded decoded;
  const int32_t status = Decode(file->GetData(), file->GetSize(), decoded);
  if (status == 0) {
    SetPicture(*image, decoded.width, decoded.height, 1, decoded.format,
               std::unique_ptr<uint8_t[]>(decoded.pixels));
  }
  const int32_t closed = file->Close();
  return status != 0 ? status : closed != 0 ? 1 : 0;
}

int32_t JPGImageCodec::Save(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 1;
  if (image->GetFormat() != Image::FORMAT_RGB && image->GetFormat() != Image::FORMAT_GREY) {
    return 3;
  }
  if (image->GetData() == nullptr) return 1;
  // The whole file is made in memory first, so that a failed encoding leaves
  // the target untouched.
  MemoryDestination destination{};
  const int32_t encoded = Encode(*image, quality, destination);
  int32_t status = encoded;
  if (encoded == 0) {
    status = 1;
    if (destination.size <= INT32_MAX && file->Open(File::MODE_WRITE) == 0) {
      const bool written = file->Write(destination.bytes, static_cast<int32_t>(destination.size)) == 0;
      status = file->Close() == 0 && written ? 0 : 1;
    }
  }
  std::free(destination.bytes);
  return status;
}

}  // namespace ynx
