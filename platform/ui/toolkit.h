// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole window toolkit in one include.
#include "platform/ui/combo_box.h"
#include "platform/ui/control.h"
#include "platform/ui/controls.h"
#include "platform/ui/file_list_box.h"
#include "platform/ui/form.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/text_box.h"

namespace ui {
// Sets up the style, the classic palette, the fonts (Tahoma from Wine's
// fonts, a Verdana substitute), Qt's German texts and the accessible
// interfaces, once.
void InitCommonControls();
} // namespace ui
