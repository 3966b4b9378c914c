#include "engine/system/ResourceData.h"

#include "engine/core/Log.h"
#include "platform/resources/ResourceTable.h"

namespace ynx {

int32_t LoadResourceData(int32_t id, const uint8_t** data, uint32_t* size) {
  if (data == nullptr) {
    LogError("Указатель на данные ресурса равен 0.");
    return 3;
  }
  const uint8_t* bytes = nullptr;
  uint32_t length = 0;
  if (!ResourceTable::Program().Find(id, "MEDIADATA", ResourceTable::UserLanguage(), &bytes,
                                     &length)) {
    LogError("Невозможно найти ресурс ID[%d].", id);
    return 1;
  }
  *data = bytes;
  if (size != nullptr) *size = length;
  return 0;
}

}  // namespace ynx
