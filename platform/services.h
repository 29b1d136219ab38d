#pragma once
// The platform services a run of the program uses, handed to every window and
// to the logic that needs them. The program fills it with the real services,
// a test with fakes. Not owning.

namespace minatori {

class Clock;
class Random;
class MessageBoxes;
class AudioPlayer;

struct Services {
  Clock *clock = nullptr;
  Random *random = nullptr;
  MessageBoxes *messages = nullptr;
  AudioPlayer *audio = nullptr;
};

}  // namespace minatori
