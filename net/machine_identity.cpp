// Machine identity (see machine_identity.h).
#include "net/machine_identity.h"

#include "platform/machine_info.h"

uint32_t ComposeMachineIdentity(uint32_t volumeSerial, uint32_t stableBits, const char* computerName) {
    uint32_t nameSum = 0;
    for (const char* c = computerName; c != nullptr && *c != '\0'; ++c) {
        nameSum += static_cast<unsigned char>(*c);
    }
    return (volumeSerial & 0xFFFFFu) + ((stableBits & 0xFu) << 20) + ((nameSum << 16) & 0x7F000000u);
}

uint32_t MachineIdentity() {
    char name[1024];
    ReadComputerName(name, sizeof name);
    return ComposeMachineIdentity(VolumeSerialNumber(), MachineStableBits(), name);
}
