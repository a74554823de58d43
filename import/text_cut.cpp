#include "import/text_cut.h"

#include "import/runtime_error.h"

#include <algorithm>

namespace survey {

std::ptrdiff_t instr(std::string_view text, std::string_view needle)
{
    const std::size_t found = text.find(needle);
    return found == std::string_view::npos ? 0 : static_cast<std::ptrdiff_t>(found) + 1;
}

std::string_view mid(std::string_view text, std::ptrdiff_t start, std::ptrdiff_t length)
{
    if (start < 1 || length < 0)
        throw RuntimeError(ErrorKind::InvalidArgument);
    const std::size_t from = std::min(static_cast<std::size_t>(start - 1), text.size());
    return text.substr(from, static_cast<std::size_t>(length));
}

}  // namespace survey
