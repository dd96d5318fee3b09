#include "layout_keys.h"

#include <QChar>
#include <QKeyEvent>

namespace {

// The letter keys by their XKB keycode (the kernel's key code plus 8, as X servers and
// Wayland compositors number keys), with the letter a US keyboard has there.
struct PlacedLetter {
    quint32 keycode;
    int key;
};
constexpr PlacedLetter UsLetters[] = {
    {24, Qt::Key_Q}, {25, Qt::Key_W}, {26, Qt::Key_E}, {27, Qt::Key_R}, {28, Qt::Key_T},
    {29, Qt::Key_Y}, {30, Qt::Key_U}, {31, Qt::Key_I}, {32, Qt::Key_O}, {33, Qt::Key_P},
    {38, Qt::Key_A}, {39, Qt::Key_S}, {40, Qt::Key_D}, {41, Qt::Key_F}, {42, Qt::Key_G},
    {43, Qt::Key_H}, {44, Qt::Key_J}, {45, Qt::Key_K}, {46, Qt::Key_L}, {52, Qt::Key_Z},
    {53, Qt::Key_X}, {54, Qt::Key_C}, {55, Qt::Key_V}, {56, Qt::Key_B}, {57, Qt::Key_N},
    {58, Qt::Key_M},
};

// Whether a key is a letter beyond Latin-1: the toolkit gives a letter key the code of
// the capital it types.
bool LetterOfAnotherScript(int key) {
    return key > 0xff && key <= 0xffff && QChar(static_cast<char16_t>(key)).isLetter();
}

} // namespace

int ShellKey(const QKeyEvent* event) {
    const int key = event->key();
    if (!LetterOfAnotherScript(key)) return key;
    for (const PlacedLetter& letter : UsLetters)
        if (letter.keycode == event->nativeScanCode()) return letter.key;
    return key;
}
