#pragma once

// What a desktop with a window manager needs beyond the toolkit's defaults.

#include <string>

class QWidget;

namespace tavelin {

// Gives a top-level window an empty caption on the window manager's title bar too: the toolkit puts
// the program's name there when a title is empty. Creates the native window if needed; does
// nothing on a platform other than X11.
void ShowEmptyCaption(QWidget* window);

// Controls inside a frame show only their own tool tip, never the frame's (the toolkit passes a
// frame's tip on to children that have none). Applies to every widget below root.
void KeepToolTipsOwn(QWidget* root);

// The file dialog keeps its history in a settings file of the toolkit; the program writes no
// settings, so that file is sent nowhere. Call once, before the first file dialog.
void KeepSettingsUnwritten();

// Before the toolkit starts: one line saying that no display can be reached and how to give one, or
// an empty text when there is one (or a platform other than X11 was asked for, which the toolkit
// then checks itself). Without a display the toolkit would abort the program.
std::string DisplayProblem();

}  // namespace tavelin
