// Baud rates on Linux through termios2, which takes any rate, not only the B constants.
#pragma once

#include <cstdint>

namespace comm::linux_baud {

bool readBaudRate(int fd, std::uint32_t& rate);
// Sets input and output speed to exactly `rate` (BOTHER), leaving every other setting.
bool writeBaudRate(int fd, std::uint32_t rate);

}  // namespace comm::linux_baud
