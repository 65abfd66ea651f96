// A loaded plugin whose Winamp is the scripted fake host, playing "Band - Song".
#pragma once
#include "common/fake_winamp.h"
#include "common/plugin_fixture.h"
#include "plugin/gen_Lumtra.h"
#include "settings/settings.h"

inline constexpr char SongFile[] = "C:\\Music\\Band - Song.mp3";
inline constexpr char StreamFile[] = "http://radio.example:8000/stream";

inline FakeEntry BandSong() {
    return FakeEntry{SongFile, "Band - Song", {{"ARTIST", "Band"}, {"TITLE", "Song"}}};
}

class TrackTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        config_read(); // no file yet: the built-in settings and play-state texts
        host.options.playlist = {BandSong()};
        plugin.hwndParent = host.hwnd();
        host.Flush();
    }
    FakeEntry& entry() { return host.options.playlist.at(0); }
    FakeWinamp host;
};
