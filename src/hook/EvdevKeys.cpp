#include "hook/EvdevKeys.h"

#include <linux/input-event-codes.h>

#include <utility>

namespace marlo::hook {
namespace {

// Keys whose code is not in one of the runs handled below.
constexpr std::pair<uint16_t, uint8_t> kKeys[] = {
    {KEY_ESC, 0x1B},          {KEY_MINUS, 0xBD},       {KEY_EQUAL, 0xBB},
    {KEY_BACKSPACE, 0x08},    {KEY_TAB, 0x09},         {KEY_LEFTBRACE, 0xDB},
    {KEY_RIGHTBRACE, 0xDD},   {KEY_ENTER, 0x0D},       {KEY_LEFTCTRL, 0xA2},
    {KEY_SEMICOLON, 0xBA},    {KEY_APOSTROPHE, 0xDE},  {KEY_GRAVE, 0xC0},
    {KEY_LEFTSHIFT, 0xA0},    {KEY_BACKSLASH, 0xDC},   {KEY_COMMA, 0xBC},
    {KEY_DOT, 0xBE},          {KEY_SLASH, 0xBF},       {KEY_RIGHTSHIFT, 0xA1},
    {KEY_KPASTERISK, 0x6A},   {KEY_LEFTALT, 0xA4},     {KEY_SPACE, 0x20},
    {KEY_CAPSLOCK, 0x14},     {KEY_NUMLOCK, 0x90},     {KEY_SCROLLLOCK, 0x91},
    {KEY_KP7, 0x67},          {KEY_KP8, 0x68},         {KEY_KP9, 0x69},
    {KEY_KPMINUS, 0x6D},      {KEY_KP4, 0x64},         {KEY_KP5, 0x65},
    {KEY_KP6, 0x66},          {KEY_KPPLUS, 0x6B},      {KEY_KP1, 0x61},
    {KEY_KP2, 0x62},          {KEY_KP3, 0x63},         {KEY_KP0, 0x60},
    {KEY_KPDOT, 0x6E},        {KEY_102ND, 0xE2},       {KEY_F11, 0x7A},
    {KEY_F12, 0x7B},          {KEY_KPENTER, 0x0D},     {KEY_RIGHTCTRL, 0xA3},
    {KEY_KPSLASH, 0x6F},      {KEY_SYSRQ, 0x2C},       {KEY_RIGHTALT, 0xA5},
    {KEY_HOME, 0x24},         {KEY_UP, 0x26},          {KEY_PAGEUP, 0x21},
    {KEY_LEFT, 0x25},         {KEY_RIGHT, 0x27},       {KEY_END, 0x23},
    {KEY_DOWN, 0x28},         {KEY_PAGEDOWN, 0x22},    {KEY_INSERT, 0x2D},
    {KEY_DELETE, 0x2E},       {KEY_MUTE, 0xAD},        {KEY_VOLUMEDOWN, 0xAE},
    {KEY_VOLUMEUP, 0xAF},     {KEY_PAUSE, 0x13},
    {KEY_LEFTMETA, 0x5B},     {KEY_RIGHTMETA, 0x5C},   {KEY_COMPOSE, 0x5D},
    {KEY_SLEEP, 0x5F},        {KEY_NEXTSONG, 0xB0},    {KEY_PREVIOUSSONG, 0xB1},
    {KEY_STOPCD, 0xB2},       {KEY_PLAYPAUSE, 0xB3},   {KEY_MAIL, 0xB4},
    {KEY_HOMEPAGE, 0xAC},     {KEY_CALC, 0xB7},        {KEY_KPEQUAL, 0x92},
};

// The letter rows of the keyboard, in key-code order.
constexpr char kTopRow[] = "QWERTYUIOP";    // KEY_Q … KEY_P
constexpr char kHomeRow[] = "ASDFGHJKL";    // KEY_A … KEY_L
constexpr char kBottomRow[] = "ZXCVBNM";    // KEY_Z … KEY_M

}  // namespace

uint32_t VirtualKeyOfEvdevKey(uint16_t code) {
    if (code >= KEY_1 && code <= KEY_9) {
        return '1' + static_cast<uint32_t>(code - KEY_1);
    }
    if (code == KEY_0) {
        return '0';
    }
    if (code >= KEY_Q && code <= KEY_P) {
        return static_cast<uint8_t>(kTopRow[code - KEY_Q]);
    }
    if (code >= KEY_A && code <= KEY_L) {
        return static_cast<uint8_t>(kHomeRow[code - KEY_A]);
    }
    if (code >= KEY_Z && code <= KEY_M) {
        return static_cast<uint8_t>(kBottomRow[code - KEY_Z]);
    }
    if (code >= KEY_F1 && code <= KEY_F10) {
        return 0x70 + static_cast<uint32_t>(code - KEY_F1);
    }
    if (code >= KEY_F13 && code <= KEY_F24) {
        return 0x7C + static_cast<uint32_t>(code - KEY_F13);
    }
    for (const auto& [key, virtualKey] : kKeys) {
        if (key == code) {
            return virtualKey;
        }
    }
    return 0;
}

uint32_t VirtualKeyOfEvdevButton(uint16_t code) {
    switch (code) {
        case BTN_LEFT: return 0x01;
        case BTN_RIGHT: return 0x02;
        case BTN_MIDDLE: return 0x04;
        case BTN_SIDE:
        case BTN_BACK: return 0x05;
        case BTN_EXTRA:
        case BTN_FORWARD: return 0x06;
        default: return 0;
    }
}

}  // namespace marlo::hook
