// A 32-bit number that tells one player's machine from another's, sent with every score. Bit 31 is
// always clear, so it never reads as negative.
#pragma once

#include <cstdint>

// Computed afresh on every call from the disk, the machine and its name.
uint32_t MachineIdentity();

// Bits 0-19: the volume serial's low 20 bits; 20-23: the machine's four stable bits; 24-30: bits 8-14
// of the sum of the name's bytes.
uint32_t ComposeMachineIdentity(uint32_t volumeSerial, uint32_t stableBits, const char* computerName);
