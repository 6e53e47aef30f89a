#pragma once
// Forcing written data out to the storage device.

namespace platform {

// Writes the file's buffered data to the device before it returns. False when the system reports a failure
// (a full disk may only be noticed here).
bool SyncFileToDisk(int fileHandle);

} // namespace platform
