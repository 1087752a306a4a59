// The fonts of the distribution: loaded at once and registered for every
// later start of Windows.
#ifndef ZELTA_INSTALL_FONT_INSTALLATION_H
#define ZELTA_INSTALL_FONT_INSTALLATION_H

// For FontFile1/FontName1, FontFile2/FontName2, ... of section
// "FontsCommand", until the first entry without either: loads
// WindowsDirectory\Fonts\<file> (the file lists put it there), tells every
// top-level window once per font that loaded, and registers the file under
// the font name in HKLM, whether or not it loaded.
void InstallFonts();

#endif
