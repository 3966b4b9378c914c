#include "engine/core/RefCounted.h"

#include "engine/core/Log.h"

namespace ynx {

RefCounted::~RefCounted() {
  if (references > 0) {
    LogWarning("Удаление объекта, имеющего ссылки. Количество ссылок [%d].", references);
  }
}

void RefCounted::Release() {
  if (--references == 0) delete this;
}

}  // namespace ynx
