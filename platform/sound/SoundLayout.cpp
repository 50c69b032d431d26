#include "platform/sound/SoundLayout.h"

#include "platform/layout/Registry.h"
#include "platform/sound/MediaPlayer.h"

void RegisterSoundLayout() {
  RegisterLayoutClass("TMediaPlayer", "TComponent",
                      [](TComponent* owner) { return new TMediaPlayer(owner); });
  RegisterLayoutProperty("TMediaPlayer", "FileName", &TMediaPlayer::SetFileName);
}
