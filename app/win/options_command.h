#pragma once
// Command 37: the options dialog over the MainWindow and, when confirmed, the settings and the
// shell's bars rebuilt at once.
void ShowOptionsDialog();
