// Machine identity inputs (see machine_info.h).
#include "platform/machine_info.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>

uint32_t VolumeSerialNumber() {
    DWORD serial = 0;
    if (!GetVolumeInformationA(nullptr, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        return 0;
    }
    return serial;
}

// Drives A: to D: present.
uint32_t MachineStableBits() {
    return GetLogicalDrives() & 0xFu;
}

void ReadComputerName(char* name, size_t size) {
    if (size == 0) {
        return;
    }
    memset(name, 0, size);
    DWORD length = static_cast<DWORD>(size - 1);
    if (!GetComputerNameA(name, &length)) {
        name[0] = '\0';
    }
}

#else
#include <sys/statvfs.h>
#include <unistd.h>
#include <cstdio>
#include "platform/regular_file.h"

// The filesystem id of the working directory's filesystem stands in for the volume serial number:
// like it, it names the disk the game runs from. Both halves of the 64-bit id are folded together.
uint32_t VolumeSerialNumber() {
    struct statvfs info;
    if (statvfs(".", &info) != 0) {
        return 0;
    }
    uint64_t id = static_cast<uint64_t>(info.f_fsid);
    return static_cast<uint32_t>(id ^ (id >> 32));
}

// The machine id written at installation (hexadecimal digits); all its digits folded into one.
uint32_t MachineStableBits() {
    const char* const files[] = {"/etc/machine-id", "/var/lib/dbus/machine-id"};
    for (const char* path : files) {
        FILE* file = OpenRegularFile(path, "r");
        if (file == nullptr) {
            continue;
        }
        char text[128] = {};
        size_t length = fread(text, 1, sizeof text - 1, file);
        fclose(file);
        uint32_t bits = 0;
        int digits = 0;
        for (size_t i = 0; i < length; ++i) {
            char c = text[i];
            if (c >= '0' && c <= '9') {
                bits ^= static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                bits ^= static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                bits ^= static_cast<uint32_t>(c - 'A' + 10);
            } else {
                continue;
            }
            ++digits;
        }
        if (digits > 0) {
            return bits;
        }
    }
    return 0;
}

void ReadComputerName(char* name, size_t size) {
    if (size == 0) {
        return;
    }
    memset(name, 0, size);
    // The last byte stays 0: gethostname need not terminate a name it cut.
    if (gethostname(name, size - 1) != 0) {
        name[0] = '\0';
    }
}

#endif
