#include "platform/sleep_inhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <memory>

namespace plimod {

namespace {

constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

// Errors that mean nobody listens where the system bus should be.
bool IsNoBus(int error) {
  return error == -ENOENT || error == -ECONNREFUSED || error == -ENXIO || error == -EACCES ||
         error == -ENOTCONN;
}

}  // namespace

InhibitResult SleepInhibitor::Hold(const char* who, const char* why) {
  if (Held()) return InhibitResult::kHeld;
  sd_bus* raw = nullptr;
  int r = sd_bus_open_system(&raw);
  if (r < 0) return IsNoBus(r) ? InhibitResult::kNoBus : InhibitResult::kRefused;
  std::unique_ptr<sd_bus, BusCloser> bus(raw);
  sd_bus_set_method_call_timeout(bus.get(), kCallTimeoutUs);

  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* rawReply = nullptr;
  r = sd_bus_call_method(bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.login1.Manager", "Inhibit", &error, &rawReply, "ssss", what_, who,
                         why, "block");
  sd_bus_error_free(&error);
  std::unique_ptr<sd_bus_message, MessageUnref> reply(rawReply);
  if (r < 0) return IsNoBus(r) ? InhibitResult::kNoBus : InhibitResult::kRefused;

  int fd = -1;
  if (sd_bus_message_read(reply.get(), "h", &fd) < 0 || fd < 0) return InhibitResult::kRefused;
  // The descriptor belongs to the message: keep a copy of our own.
  fd_ = UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
  return Held() ? InhibitResult::kHeld : InhibitResult::kRefused;
}

}  // namespace plimod
