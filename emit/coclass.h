// CoClass files: the CLSID and ProgID interface of every creatable coclass a class run touches.
#pragma once

#include <memory>

#include "engine/wrapper_generator.h"

namespace tessivar {

// Writes the CoClass interface of every entry of coClasses, in the set's order.
void writeCoClasses(WrapperGenerator& generator);

// Queues every interface the coclass implements, with its implementation flags, for a later pass.
void registerCoClassInterfaces(TypeRecorder& generator, const std::shared_ptr<const TypeInfo>& coClass);

}  // namespace tessivar
