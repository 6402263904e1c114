// The MCI sequencer: open MIDI files, play them through the software synthesiser,
// report mode and position, and post MM_MCINOTIFY to the caller's window at the end.
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio/dmusic.h"
#include "platform/audio/midi_synth.h"
#include "platform/win/win_window.h"

namespace plat::audio {

namespace {

struct Sequencer {
  std::unique_ptr<MidiSynth> synth;
  std::vector<std::uint8_t> midi;
  bool started = false;  // played since it was opened; an ended piece stays at its end
};

std::mutex devicesMutex;
std::map<MCIDEVICEID, std::shared_ptr<Sequencer>> devices;
MCIDEVICEID nextId = 1;

bool sameTextNoCase(const char16_t* a, const char16_t* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (std::towlower(*a) != std::towlower(*b)) return false;
  }
  return *a == *b;
}

bool hasMidiExtension(const char16_t* name) {
  const std::u16string text(name);
  const auto dot = text.find_last_of(u'.');
  if (dot == std::u16string::npos) return false;
  const char16_t* extension = text.c_str() + dot + 1;
  return sameTextNoCase(extension, u"mid") || sameTextNoCase(extension, u"midi") || sameTextNoCase(extension, u"rmi");
}

std::shared_ptr<Sequencer> findSequencer(MCIDEVICEID id) {
  std::lock_guard<std::mutex> guard(devicesMutex);
  const auto it = devices.find(id);
  return it == devices.end() ? nullptr : it->second;
}

// The end of a play that asked for notification posts MM_MCINOTIFY to the window given;
// a play that is stopped, replaced or closed first posts nothing.
std::function<void()> notifier(DWORD flags, std::uintptr_t callback, MCIDEVICEID id) {
  if ((flags & MCI_NOTIFY) == 0 || callback == 0) return nullptr;
  auto* window = reinterpret_cast<win::HWND>(callback);
  return [window, id] { win::PostMessageW(window, win::MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, id); };
}

MCIERROR openSequencer(DWORD flags, MCI_OPEN_PARMSW* parms) {
  if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_OPEN_ELEMENT) == 0 || parms->lpstrElementName == nullptr) return MCIERR_MISSING_PARAMETER;
  if ((flags & MCI_OPEN_TYPE) != 0) {
    if (parms->lpstrDeviceType == nullptr || !sameTextNoCase(parms->lpstrDeviceType, u"sequencer")) {
      return MCIERR_INVALID_DEVICE_NAME;
    }
  } else if (!hasMidiExtension(parms->lpstrElementName)) {
    return MCIERR_INVALID_DEVICE_NAME;
  }
  auto device = std::make_shared<Sequencer>();
  if (!ReadMidiFile(parms->lpstrElementName, &device->midi)) return MCIERR_FILE_NOT_FOUND;
  if (!LooksLikeMidiFile(device->midi)) return MCIERR_INVALID_FILE;
  device->synth = MidiSynth::create();
  if (!device->synth) return MCIERR_DEVICE_NOT_INSTALLED;
  std::lock_guard<std::mutex> guard(devicesMutex);
  const MCIDEVICEID id = nextId++;
  devices[id] = std::move(device);
  parms->wDeviceID = id;
  return 0;
}

MCIERROR playSequencer(MCIDEVICEID id, DWORD flags, const MCI_PLAY_PARMS* parms) {
  const auto device = findSequencer(id);
  if (!device) return MCIERR_INVALID_DEVICE_ID;
  if ((flags & MCI_FROM) != 0 && parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  auto ended = notifier(flags, parms != nullptr ? parms->dwCallback : 0, id);
  MidiSynth& synth = *device->synth;
  if ((flags & MCI_FROM) != 0 || !device->started) {
    const std::uint64_t from = (flags & MCI_FROM) != 0 ? std::uint64_t{parms->dwFrom} * kOutputRate / 1000 : 0;
    if (!synth.start(device->midi, from, std::move(ended))) return MCIERR_INVALID_FILE;
    device->started = true;
    return 0;
  }
  if (!synth.resume(std::move(ended)) && (flags & MCI_NOTIFY) != 0 && parms != nullptr && parms->dwCallback != 0) {
    // Already at the end: the play is done at once.
    notifier(flags, parms->dwCallback, id)();
  }
  return 0;
}

MCIERROR sequencerStatus(MCIDEVICEID id, DWORD flags, MCI_STATUS_PARMS* parms) {
  const auto device = findSequencer(id);
  if (!device) return MCIERR_INVALID_DEVICE_ID;
  if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
  if ((flags & MCI_STATUS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
  switch (parms->dwItem) {
    case MCI_STATUS_MODE: parms->dwReturn = device->synth->playing() ? MCI_MODE_PLAY : MCI_MODE_STOP; return 0;
    case MCI_STATUS_POSITION:
      parms->dwReturn = static_cast<std::uintptr_t>(device->synth->playedFrames() * 1000 / kOutputRate);
      return 0;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
  }
}

MCIERROR closeSequencer(MCIDEVICEID id) {
  std::shared_ptr<Sequencer> device;
  {
    std::lock_guard<std::mutex> guard(devicesMutex);
    const auto it = devices.find(id);
    if (it == devices.end()) return MCIERR_INVALID_DEVICE_ID;
    device = std::move(it->second);
    devices.erase(it);
  }
  device->synth->stop();
  return 0;
}

}  // namespace

MCIERROR mciSendCommandW(MCIDEVICEID device, win::UINT message, std::uintptr_t flags, std::uintptr_t parameters) {
  const auto dword = static_cast<DWORD>(flags);
  switch (message) {
    case MCI_OPEN: return openSequencer(dword, reinterpret_cast<MCI_OPEN_PARMSW*>(parameters));
    case MCI_PLAY: return playSequencer(device, dword, reinterpret_cast<const MCI_PLAY_PARMS*>(parameters));
    case MCI_STOP: {
      const auto found = findSequencer(device);
      if (!found) return MCIERR_INVALID_DEVICE_ID;
      found->synth->pause();
      return 0;
    }
    case MCI_STATUS: return sequencerStatus(device, dword, reinterpret_cast<MCI_STATUS_PARMS*>(parameters));
    case MCI_CLOSE: return closeSequencer(device);
    default: return MCIERR_UNRECOGNIZED_COMMAND;
  }
}

}  // namespace plat::audio
