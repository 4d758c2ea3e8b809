// Counting the GDI objects of this process, for the tests that check nothing is left behind.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstring>

// The live GDI objects of this process. Wine's GetGuiResources is a stub that returns 0
// (ERROR_CALL_NOT_IMPLEMENTED); there the process's GDI handle table, which the PEB
// points to as on Windows, is counted instead: 65536 entries of 24 bytes, the entry's
// object type at byte 14, 0 for a free entry.
inline long gdi_objects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return static_cast<long>(reported);

    constexpr std::size_t PEB_GDI_HANDLE_TABLE = 0xf8;
    constexpr std::size_t ENTRY_SIZE = 24;
    constexpr std::size_t ENTRY_TYPE = 14;
    constexpr std::size_t ENTRIES = 0x10000;
    PROCESS_BASIC_INFORMATION process = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const unsigned char*>(process.PebBaseAddress);
    const unsigned char* table = nullptr;
    std::memcpy(&table, peb + PEB_GDI_HANDLE_TABLE, sizeof table);
    if (!table)
        return -1;
    long live = 0;
    for (std::size_t i = 0; i < ENTRIES; ++i)
        live += table[i * ENTRY_SIZE + ENTRY_TYPE] != 0;
    return live;
}
