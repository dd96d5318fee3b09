// The fourteen commands of the two menus and the actions they run.
#pragma once

#include <QString>

// The products page and the About box's texts.
inline constexpr char ProductsPageAddress[] = "https://www.example.com/products";
inline constexpr char AboutNotice[] = "Copyright (C) the zimo authors";
inline constexpr char AboutWebAddress[] = "https://www.example.com";

// Runs command id (1 to 14); every other number is ignored.
void DispatchCommand(int id);
void ToggleRepeat();
void ToggleMute();
void CloseMainWindow();
void OpenProductsPage();
// The About box's text: three lines joined by a line feed and a carriage return.
QString AboutText();
void ShowAbout();
