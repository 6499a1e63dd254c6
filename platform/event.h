#pragma once

namespace platform {

// An unnamed auto-reset event, not signalled when created, that another component
// waits on: on Windows an event HANDLE, on Linux an eventfd descriptor cast to a
// pointer (the waiter reads it, which resets it).
using EventHandle = void*;

// False when the platform cannot create the event; handle is then untouched.
bool CreateAutoResetEvent(EventHandle& handle);
void SignalEvent(EventHandle handle);
void CloseEvent(EventHandle handle);

}  // namespace platform
