#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace audio {
class Music;
}

namespace present {

// The audio output device: 48000 Hz, signed 16-bit stereo, filled on SDL's audio
// thread with the music and up to 24 sound-effect voices. Main-thread changes take
// the device lock while a device is open; without a device the object is silent
// and its calls only keep their bookkeeping.
class Audio {
 public:
  static constexpr int kRate = 48000;
  static constexpr int kChannels = 2;
  static constexpr int kFramesPerCallback = 512;
  static constexpr std::size_t kMaxVoices = 24;

  // One playing effect. The samples pointer refers to a vector inside the sound
  // table, whose address a map entry keeps; data and size are read afresh on every
  // callback.
  struct Voice {
    const std::vector<std::int16_t>* samples = nullptr;
    std::size_t position = 0;  // next sample value, left and right counted apart
    int gain = 0;              // 0 to 256
  };

  Audio() = default;
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  bool open();
  // Decodes a WAV file of any format SDL reads into 48000 Hz 16-bit stereo and
  // keeps it under name, replacing an earlier sound of that name.
  bool load(const std::string& name, const std::vector<std::uint8_t>& wavBytes);
  void play(const std::string& name, float volume);
  void setVolumes(float sfx, float music);
  void setMusic(audio::Music* music);

  static void callback(void* userdata, Uint8* stream, int len);
  void mix(std::int16_t* out, int frames);

  // The effect voices over a mono music buffer (null for none) into interleaved
  // stereo out; voices that finish are removed. What the callback does, without a
  // device.
  static void mixVoices(std::vector<Voice>& voices, float sfxVolume, const std::int16_t* music,
                        std::int16_t* out, int frames);

  SDL_AudioDeviceID device() const { return device_; }
  std::size_t voiceCount() const { return voices_.size(); }
  const std::vector<Voice>& voices() const { return voices_; }
  const std::vector<std::int16_t>* sound(const std::string& name) const;
  float sfxVolume() const { return sfxVolume_; }
  float musicVolume() const { return musicVolume_; }
  audio::Music* music() const { return music_; }

 private:
  void lock() const;
  void unlock() const;

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec have_{};
  std::unordered_map<std::string, std::vector<std::int16_t>> sounds_;
  std::vector<Voice> voices_;
  audio::Music* music_ = nullptr;
  float sfxVolume_ = 1.0f;
  float musicVolume_ = 1.0f;
  std::vector<std::int16_t> musicBuffer_;
};

}  // namespace present
