#pragma once

// The chip library's interface: the audio chip's endpoints and properties, as the program
// reaches them through the shared library it loads at run time (SDK/osConfLib.so). Values
// travel as decimal text.

#include <cstddef>
#include <cstdint>

extern "C" {

// One audio endpoint: its number in the list, its type (1 headphones, 2 microphone), the sound
// card it belongs to, and whether it is active (1).
struct ConfDevice {
    uint32_t id;
    uint32_t type;
    uint32_t card;
    uint32_t active;
};

// The size of the text buffer a property is read into.
inline constexpr size_t kConfTextSize = 1024;

enum ConfFlow { kConfPlayback = 0, kConfCapture = 1 };

// Where the library looks (`root` holds proc/asound; "/" is the machine itself) and where it
// keeps the chip's properties (a folder of the user's). Called before ConfLibInit; the defaults
// are "/" and no store (properties that need one then fail).
int ConfLibSetPaths(const char* root, const char* storeFolder);
// 0 on success.
int ConfLibInit(void);
void ConfLibUnInit(void);
// Finds the headset's sound card (USB id 0c76:1630) and lists its endpoints.
void CreateDeviceList(void);
// The number of endpoints of a flow; 0 on success.
int GetDeviceCount(int flow, int* count);
// The endpoint `index` of the whole list (playback endpoints first); 0 on success.
int GetDeviceById(int index, ConfDevice* device);
// Reads (set 0) a property into `data` (at most `dataSize` bytes with the closing zero) or
// writes it (set 1) from `data`. 0 on success.
int PropertyControl(ConfDevice device, const char* name, char* data, size_t dataSize,
                    int channel, int set);
// Kept for callers of the chip vendor's interface; this library has nothing to report.
int RegisterCallbackFunction(void (*callback)(int event, void* context), void* context);
int ShowAsioPanel(void);
int PlayTestSound(ConfDevice device);
int StopTestSound(ConfDevice device);
int CloseTestSound(ConfDevice device);
}
