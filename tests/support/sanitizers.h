#pragma once
// Built with AddressSanitizer or ThreadSanitizer, the program's resident memory is not the program's own:
// freed blocks wait in a quarantine and every byte has shadow memory beside it. Tests then leave out their
// resident-memory bounds (the normal build checks them) and keep every other check.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool ResidentMemoryBoundsHold = false;
#else
constexpr bool ResidentMemoryBoundsHold = true;
#endif
