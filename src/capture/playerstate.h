#pragma once
// States of the capture component's sound-file player, in the component's declared order.
enum TPlayerState {
    ps_Closed,
    ps_Stopped,
    ps_Paused,
    ps_Playing,
    ps_PlayingBackward,
    ps_FastForwarding,
    ps_FastRewinding,
    ps_Downloading,
    ps_DownloadCompleted,
    ps_DownloadCancelled,
    ps_Opened
};
