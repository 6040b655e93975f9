#include "editor/scene/Form.h"

namespace scene {

const Locus &locus(const Form &form)
{
    return std::visit([](const auto &f) -> const Locus & { return f; }, form);
}

} // namespace scene
