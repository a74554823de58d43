#pragma once

// What the tests need to know of the system they run on, asked in this one
// place: some checks need POSIX (processes forked to die mid-change, users
// without root's rights, a second file system to mount).
namespace testing_support {

#ifdef _WIN32
inline constexpr bool on_windows = true;
#else
inline constexpr bool on_windows = false;
#endif

// Whether permission bits bind this process: not for root, nor on Windows,
// whose files have none.
bool permission_bits_bind();

}  // namespace testing_support
