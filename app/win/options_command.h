#pragma once
// Command 37: the options dialog over the MainWindow and, when confirmed, the settings and the
// shell's bars rebuilt at once.
void ShowOptionsDialog();
// The toolbar made again (so a new button size or screen scale takes effect) or taken away; the
// status bar made, with its texts, or taken away.
void RebuildToolBar(bool shown);
void RebuildStatusBar(bool shown);
