// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive technology (a screen reader over AT-SPI) learns about the
// window beyond Qt's own interfaces: the window is a dialog, pages and frames
// are panels, a grid of cells is a list whose chosen cells are selected, the
// combo box is named by its own name, and the window's hidden state holders
// are left out.

namespace ui {

// Installs the toolkit's accessible interfaces; once, after the application
// object exists.
void InstallAccessibility();

// While one lives, focus moves are not reported to assistive technology:
// for focus that the window's own rules take away and bring straight back.
class QuietFocus {
public:
    QuietFocus();
    ~QuietFocus();
    QuietFocus(const QuietFocus&) = delete;
    QuietFocus& operator=(const QuietFocus&) = delete;
};

} // namespace ui
