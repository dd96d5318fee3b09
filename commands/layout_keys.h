// Which of the shell's letter keys a press stands for, whatever the keyboard layout.
#pragma once

class QKeyEvent;

// The key of a press as the shell's key handling reads it. A Latin layout types the
// letters the keys are, and its letters count as typed. A layout of another script
// (Cyrillic, Greek, ...) types none of them: there a letter key counts as the letter a US
// keyboard has at its place, as a desktop's virtual keys have it, so that F, L, M and R
// work under every layout.
int ShellKey(const QKeyEvent* event);
