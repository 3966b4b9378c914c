#include "engine/io/Image.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/io/CodecManager.h"
#include "engine/io/File.h"
#include "engine/io/FileManager.h"
#include "engine/io/ImageCodec.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Image, Object)

int32_t Image::BytesPerPixel(int32_t format) {
  switch (format) {
    case FORMAT_RGB:
      return 3;
    case FORMAT_RGBA:
      return 4;
    case FORMAT_GREY:
      return 1;
    case FORMAT_DEPTH:
      return 0;
    default:
      return -1;
  }
}

uint64_t Image::DataSize(int32_t format, uint64_t width, uint64_t height, uint64_t depth) {
  const int32_t bytes = BytesPerPixel(format);
  uint64_t size = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
  for (const uint64_t factor : {width, height, depth}) {
    if (__builtin_mul_overflow(size, factor, &size)) return UINT64_MAX;
  }
  return size;
}

std::unique_ptr<uint8_t[]> Image::AllocateBlock(uint64_t size) {
  if (size == 0 || size > MAX_DATA_SIZE) return nullptr;
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

Image::Image(const String& name) : Object(name) {}

Image::Image(const String& name, int32_t format, uint32_t width, uint32_t height)
    : Object(name), width(width), height(height), format(format) {
  AllocateData();
}

Image::Image(File* file, const String& name)
    : Object(name.IsEmpty() && file != nullptr ? file->GetName() : name),
      fileName(file != nullptr ? file->GetName() : String()) {
  LoadFromFile(file);
}

Image::~Image() = default;

uint64_t Image::GetDataSize() const { return DataSize(format, width, height); }

int32_t Image::AllocateData() {
  const uint64_t size = GetDataSize();
  if (size == 0) {
    data.reset();
    return 0;
  }
  data = AllocateBlock(size);
  if (!data) {
    LogError("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", GetID(),
             GetName().CStr());
    return 2;
  }
  return 0;
}

int32_t Image::LoadFromFile(File* file) {
  if (file == nullptr) {
    LogWarning("Указатель на файл равен 0 при загрузке изображения [%s].", GetName().CStr());
    return 3;
  }
  // A codec of another kind for this extension counts as none.
  Codec* codec = CodecManager::FindCodecForFile(file);
  if (codec == nullptr || codec->GetKind() != Codec::KIND_IMAGE) {
    LogWarning("Не найден кодек для файла при загрузке изображения [%s].", GetName().CStr());
    return 3;
  }
  if (static_cast<ImageCodec*>(codec)->Load(file, this) != 0) {
    LogError("Неудачна загрузка изображения [%s].", GetName().CStr());
    return 1;
  }
  return 0;
}

int32_t Image::SaveHeight(MemoryStream& stream) const { return stream.WriteUInt32(height); }

int32_t Image::LoadHeight(MemoryStream& stream) { return stream.ReadUInt32(height); }

int32_t Image::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Object::Save(stream));
  out.Field("Невозможно сохранить имя файла изображения. Имя[%s] ID[%d]", fileName);
  // The pixels of a file stay in the file; loading finds it again by name.
  if (!fileName.IsEmpty()) return out.Status();
  return out.Field("Невозможно сохранить ширину изображения. Имя[%s] ID[%d]", width)
      .Field("Невозможно сохранить высоту изображения. Имя[%s] ID[%d]",
             [&] { return SaveHeight(stream); })
      .Field("Невозможно сохранить формат изображения. Имя[%s] ID[%d]", format)
      .Status();
}

int32_t Image::Load(MemoryStream& stream) {
  const int32_t status = LoadContent(stream);
  if (status == 0) LogInfo("Изображение [%s] загружено.", GetName().CStr());
  return status;
}

int32_t Image::LoadContent(MemoryStream& stream) {
  FieldReader in(stream, *this, Object::Load(stream));
  if (in.Field("Невозможно загрузить имя файла изображения. ID[%d] Имя[%s]", fileName) &&
      !fileName.IsEmpty()) {
    if (LoadFromFile(FileManager::FindFile(fileName)) == 0) return 0;
    LogError("Невозможно загрузить изображение из файла. ID[%d] Имя[%s] Файл[%s]", GetID(),
             GetName().CStr(), fileName.CStr());
    return 1;
  }
  // The stream is hostile data until proven otherwise: a format the engine
  // does not know, or a size no real picture has, fails here instead of
  // allocating gigabytes.
  in.Field("Невозможно загрузить ширину изображения. ID[%d] Имя[%s]", width)
      .Field("Невозможно загрузить высоту изображения. ID[%d] Имя[%s]",
             [&] { return LoadHeight(stream); })
      .Checked("Невозможно загрузить формат изображения. ID[%d] Имя[%s]", format,
               [&] { return BytesPerPixel(format) >= 0; });
  if (!in) return in.Status();
  if (GetDataSize() > MAX_DATA_SIZE) {
    return in.Fail("Недопустимый размер изображения. ID[%d] Имя[%s]");
  }
  return AllocateData();
}

}  // namespace ynx
