#pragma once
// Makes the media player known to layouts as TMediaPlayer (property
// FileName). Call once at start-up, before the first layout is read.
void RegisterSoundLayout();
