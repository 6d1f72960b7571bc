// The numbers particular to one machine that the score client's machine identity is built from. On Windows
// they are the current drive's volume serial number, the logical drive mask and the computer name; elsewhere
// the nearest stable equivalents (see machine_info.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

// A number that tells this disk from others; 0 when it cannot be read.
uint32_t VolumeSerialNumber();

// Four bits that stay the same on one machine (only the low four bits carry meaning); 0 when unknown.
uint32_t MachineStableBits();

// The machine's name, in a buffer zeroed first and always terminated; empty when it cannot be read.
void ReadComputerName(char* name, size_t size);
