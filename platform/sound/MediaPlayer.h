#pragma once
// The media player component: opens a sound file as a device, plays it once
// from the start without waiting for its end, stops it and tells its mode.
// A machine without an audio output (a server, a test run) or a file that
// does not exist makes Open raise EMediaError at once; nothing ever waits
// for a device. A file whose content cannot be played is found out while
// playing: the player then simply stops (Mode goes back to mpStopped).
#include <memory>
#include <string>

#include "platform/base/Component.h"
#include "platform/base/Exceptions.h"

TAMBLIN_EXCEPTION(EMediaError, Exception);

enum TMPModes { mpNotReady, mpStopped, mpPlaying };

class TMediaPlayer : public TComponent {
 public:
  explicit TMediaPlayer(TComponent* AOwner);
  ~TMediaPlayer() override;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }

  // Opens FileName (closing any device open before). Raises EMediaError
  // naming the file and the reason; the player is then closed.
  void Open();
  // Plays the open file once from its start; returns at once. Raises
  // EMediaError when nothing is open.
  void Play();
  // Stops playing; the file stays open.
  void Stop();
  // Releases the device; does nothing when none is open.
  void Close();

  // mpNotReady while nothing is open, mpPlaying while the sound plays,
  // mpStopped otherwise.
  TMPModes Mode() const;

 private:
  struct TImpl;
  std::string FFileName;
  std::unique_ptr<TImpl> FImpl;
};
