#include "options.h"

#include <charconv>
#include <functional>
#include <map>

namespace devsim {

namespace {

template <typename Number>
bool parseNumber(const std::string& text, Number& value) {
  int base = 10;
  std::string_view digits = text;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  }
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  return !digits.empty() && error == std::errc{} && end == digits.data() + digits.size();
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  ParseResult run() {
    for (next_ = 0; next_ < arguments_.size() && result_.error.empty();) {
      const std::string& name = arguments_[next_++];
      if (!flag(name) && !valued(name)) result_.error = "unknown option: " + name;
    }
    if (result_.error.empty() && result_.options.link.empty() && !result_.options.help) {
      result_.error = "--link PATH is required";
    }
    return result_;
  }

 private:
  bool flag(const std::string& name) {
    Options& o = result_.options;
    const std::map<std::string, bool*> flags = {
        {"--raw", &o.raw},     {"--stream", &o.stream},
        {"--once", &o.once},   {"--unprompted", &o.unprompted},
        {"--quiet", &o.quiet}, {"--help", &o.help},
        {"-h", &o.help}};
    const auto found = flags.find(name);
    if (found == flags.end()) return false;
    *found->second = true;
    return true;
  }

  bool valued(const std::string& name) {
    Options& o = result_.options;
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> setters = {
        {"--link", [&](const std::string& v) { return assign(o.link, v); }},
        {"--pattern", [&](const std::string& v) { return assign(o.pattern, v); }},
        {"--report", [&](const std::string& v) { return assign(o.reportFile, v); }},
        {"--ready-file", [&](const std::string& v) { return assign(o.readyFile, v); }},
        {"--bytes", [&](const std::string& v) { return parseNumber(v, o.bytes.emplace()); }},
        {"--rate", [&](const std::string& v) { return parseNumber(v, o.rate); }},
        {"--request", [&](const std::string& v) { return parseNumber(v, o.request); }},
        {"--hold", [&](const std::string& v) { return parseNumber(v, o.holdMs); }},
        {"--timeout", [&](const std::string& v) { return parseNumber(v, o.timeoutSeconds); }}};
    const auto found = setters.find(name);
    if (found == setters.end()) return false;
    if (next_ >= arguments_.size()) {
      result_.error = name + " needs a value";
    } else if (!found->second(arguments_[next_++])) {
      result_.error = "invalid value for " + name + ": " + arguments_[next_ - 1];
    }
    return true;
  }

  static bool assign(std::string& target, const std::string& value) {
    target = value;
    return !value.empty();
  }

  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
  ParseResult result_;
};

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& arguments) {
  return Parser(arguments).run();
}

const char* usage() {
  return R"(Usage: devsim --link PATH [options]

A measuring device on a pseudo-terminal. devsim links PATH to the terminal, waits for the
request byte (0x41, "A") and answers each request with a payload. The terminal starts in
the kernel's default settings (software flow control, canonical mode and echo on), as a
freshly plugged USB adapter does, until a program sets it up.

  --link PATH        the link to create, e.g. COM1 in the program's start directory; a
                     symbolic link already there is replaced, anything else is an error
  --raw              start the terminal raw instead: no echo, no flow control, no
                     translation, 9600 baud
  --pattern NAME     the payload, repeated as needed:
                       instrument  ASCII measurement lines ending in CR LF (default)
                       count       0, 1, ..., 255, 0, 1, ...
                       zero        0x00 bytes
                       ff          0xFF bytes
                       hex:BYTES   the given bytes, e.g. hex:00ff0d0a41
  --bytes N          payload length in bytes (default: one cycle of the pattern: 40 lines
                     for instrument, 256 bytes for count, zero and ff, the given bytes
                     for hex)
  --rate N           send N bytes per second (default: as fast as the line takes them)
  --stream           once answering starts, send without end (--bytes is ignored)
  --once             answer only the first request (default: every request)
  --unprompted       start the first answer at once, without waiting for a request
  --request BYTE     the request byte, decimal or 0x.. (default 0x41)
  --hold MS          hold the line for the first MS milliseconds, as a device that drops
                     its handshake line: nothing the program writes goes out (a
                     non-blocking write fails with EAGAIN) and devsim reads nothing; what
                     devsim sends still arrives
  --report FILE      write the counts to FILE (key=value lines), after every answer and
                     at the end; the file is replaced whole each time
  --ready-file FILE  create FILE once the link exists
  --timeout SEC      end by itself after SEC seconds (default: never)
  --quiet            leave out the request and sent lines
  --help             show this text

Signals:
  SIGUSR1            unplug: close the terminal, which hangs up every descriptor a program
                     holds, and remove the link; nothing is sent until the replug, and an
                     answer in progress keeps its place
  SIGUSR2            replug: a new terminal (in default settings unless --raw) under the
                     same link; the answer goes on where it stopped, once a program has
                     set the terminal up (as an adapter sends nothing before its port
                     is opened)
  SIGTERM, SIGINT    end, also while unplugged

Lines on standard output, each flushed at once:
  ready LINK TERMINAL                      the link exists; the device is listening
  held                                     the line is held (--hold), right after ready
  released                                 the hold is over
  request N                                the N-th request byte arrived
  sent N                                   an answer is complete; N bytes sent in all
  unplugged                                the terminal is closed and the link removed
  replugged LINK TERMINAL                  the link points to a new terminal
  done received=N requests=N sent=N        at the end

devsim ends on SIGTERM or SIGINT, or when the process that started it ends; it then
removes the link and exits with status 0. A bad command line exits with status 2.
)";
}

}  // namespace devsim
