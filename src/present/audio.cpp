#include "present/audio.h"

#include <algorithm>
#include <cstring>

#include "audio/music.h"
#include "core/log.h"

namespace present {

namespace {

// A NaN volume would make the gain an undefined integer conversion; it is silence.
float clamp01(float v) { return v > 0.0f ? std::min(v, 1.0f) : 0.0f; }

}  // namespace

Audio::~Audio() {
  // The callback must never see the sound table or the voices freed.
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void Audio::lock() const {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void Audio::unlock() const {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

bool Audio::open() {
  if (device_ != 0) return true;
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kFramesPerCallback;
  want.callback = &Audio::callback;
  want.userdata = this;
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have_, 0);
  if (id == 0) {
    core::log(core::LogLevel::Error, "no sound: SDL_OpenAudioDevice: %s", SDL_GetError());
    return false;
  }
  device_ = id;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

bool Audio::load(const std::string& name, const std::vector<std::uint8_t>& wavBytes) {
  SDL_AudioSpec spec{};
  Uint8* data = nullptr;
  Uint32 length = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(wavBytes.data(), static_cast<int>(wavBytes.size()));
  if (!rw || !SDL_LoadWAV_RW(rw, 1, &spec, &data, &length)) {
    core::log(core::LogLevel::Error, "sound %s: %s", name.c_str(), SDL_GetError());
    return false;
  }
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, kChannels,
                        kRate) < 0) {
    core::log(core::LogLevel::Error, "sound %s: %s", name.c_str(), SDL_GetError());
    SDL_FreeWAV(data);
    return false;
  }
  // An empty data chunk comes back as a null buffer of length 0: a silent
  // sound, with nothing to copy.
  std::vector<Uint8> work(static_cast<std::size_t>(length) * std::max(cvt.len_mult, 1));
  if (length > 0) std::memcpy(work.data(), data, length);
  SDL_FreeWAV(data);
  std::size_t bytes = length;
  if (cvt.needed && length > 0) {
    cvt.buf = work.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) < 0) {
      core::log(core::LogLevel::Error, "sound %s: %s", name.c_str(), SDL_GetError());
      return false;
    }
    bytes = static_cast<std::size_t>(cvt.len_cvt);
  }
  // Whole stereo frames only, so that voices stay aligned with the channels.
  std::vector<std::int16_t> samples(bytes / 4 * 2);
  if (!samples.empty()) std::memcpy(samples.data(), work.data(), samples.size() * sizeof(std::int16_t));

  lock();
  sounds_[name] = std::move(samples);
  unlock();
  return true;
}

const std::vector<std::int16_t>* Audio::sound(const std::string& name) const {
  const auto it = sounds_.find(name);
  return it == sounds_.end() ? nullptr : &it->second;
}

void Audio::play(const std::string& name, float volume) {
  if (device_ == 0) return;
  const std::vector<std::int16_t>* samples = sound(name);
  if (!samples) return;
  lock();
  if (voices_.size() >= kMaxVoices) voices_.erase(voices_.begin());
  voices_.push_back(Voice{samples, 0, static_cast<int>(clamp01(volume) * 256.0f)});
  unlock();
}

void Audio::setVolumes(float sfx, float music) {
  lock();
  sfxVolume_ = clamp01(sfx);
  musicVolume_ = clamp01(music);
  unlock();
}

void Audio::setMusic(audio::Music* music) {
  lock();
  music_ = music;
  unlock();
}

void Audio::callback(void* userdata, Uint8* stream, int len) {
  static_cast<Audio*>(userdata)->mix(reinterpret_cast<std::int16_t*>(stream), len / 4);
}

void Audio::mix(std::int16_t* out, int frames) {
  if (frames < 1) return;
  const std::int16_t* music = nullptr;
  if (music_) {
    musicBuffer_.assign(static_cast<std::size_t>(frames), 0);
    music_->render(musicBuffer_.data(), frames, musicVolume_);
    music = musicBuffer_.data();
  }
  mixVoices(voices_, sfxVolume_, music, out, frames);
}

void Audio::mixVoices(std::vector<Voice>& voices, float sfxVolume, const std::int16_t* music,
                      std::int16_t* out, int frames) {
  if (frames < 1) return;
  const std::size_t values = 2 * static_cast<std::size_t>(frames);
  std::vector<std::int32_t> acc(values, 0);
  if (music) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i)
      acc[2 * i] = acc[2 * i + 1] = music[i];
  }
  for (Voice& v : voices) {
    const std::vector<std::int16_t>& s = *v.samples;
    // A replaced sound may be shorter than where the voice stands.
    const std::size_t left = v.position < s.size() ? s.size() - v.position : 0;
    const std::size_t n = std::min(left, values);
    const std::int32_t g = static_cast<std::int32_t>(static_cast<float>(v.gain) * sfxVolume);
    for (std::size_t j = 0; j < n; ++j) acc[j] += (s[v.position + j] * g) >> 8;
    v.position += n;
  }
  voices.erase(std::remove_if(voices.begin(), voices.end(),
                              [](const Voice& v) { return v.position >= v.samples->size(); }),
               voices.end());
  for (std::size_t j = 0; j < values; ++j)
    out[j] = static_cast<std::int16_t>(std::clamp<std::int32_t>(acc[j], -32768, 32767));
}

}  // namespace present
