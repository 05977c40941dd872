// This file exists because <asm/termbits.h>, which declares termios2 and BOTHER, defines its
// own struct termios and therefore cannot be included beside <termios.h>.
#include "serial/comm/linux_baud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace comm::linux_baud {

bool readBaudRate(int fd, std::uint32_t& rate) {
  termios2 settings{};
  if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
  rate = settings.c_ospeed;
  return true;
}

bool writeBaudRate(int fd, std::uint32_t rate) {
  termios2 settings{};
  if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
  settings.c_cflag &= ~tcflag_t{CBAUD | (CBAUD << IBSHIFT)};
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = rate;
  settings.c_ospeed = rate;
  return ::ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace comm::linux_baud
