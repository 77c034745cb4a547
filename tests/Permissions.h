#pragma once
// File permissions that hold for this thread even when the tests run as root: root reads and
// writes past them through two capabilities, which are dropped while an object of this class
// lives and given back afterwards.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kavtest {

class PermissionsEnforced {
public:
  PermissionsEnforced() {
    Header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    if (::syscall(SYS_capget, &Header_, Saved_) != 0) return;
    __user_cap_data_struct Reduced[2] = {Saved_[0], Saved_[1]};
    for (unsigned Cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) Reduced[Cap / 32].effective &= ~(1u << (Cap % 32));
    Header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    Dropped_ = ::syscall(SYS_capset, &Header_, Reduced) == 0;
  }
  ~PermissionsEnforced() {
    Header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    if (Dropped_) ::syscall(SYS_capset, &Header_, Saved_);
  }
  PermissionsEnforced(const PermissionsEnforced&) = delete;
  PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

  // False when root could not give the capabilities up: then permissions do not stop it.
  bool Holds() const { return Dropped_ || ::geteuid() != 0; }

private:
  __user_cap_header_struct Header_{};
  __user_cap_data_struct Saved_[2]{};
  bool Dropped_ = false;
};

}  // namespace kavtest
