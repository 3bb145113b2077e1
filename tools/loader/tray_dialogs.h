// The tray menu's dialogs: the Exclude picker, the About box and a box that
// says why a scheme was not applied. Each runs on a thread of its own so
// that the loader's thread goes on pumping its messages and watching its
// stop event while the user answers.
#pragma once

// Each returns at once; does nothing while another of these dialogs shows.
void startExcludePicker();
void startAboutBox();
void startProblemBox(const char *title, const char *problem);
