#include "tests/support/test_platform.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace testing_support {

bool permission_bits_bind()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

}  // namespace testing_support
