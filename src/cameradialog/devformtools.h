#pragma once
// Parts of the camera dialog's tools that stand on their own: where the dialog reads the local capture
// devices and their picture sizes, and the codec configuration.
#include <QStringList>

class QWidget;
class TCaptureComponent;

// The local capture devices and the picture sizes of each, as the camera dialog lists them.
class TCaptureDeviceLists
{
public:
    virtual ~TCaptureDeviceLists() = default;
    // The devices, read afresh, in the order of their indexes.
    virtual QStringList Devices() = 0;
    // The picture sizes ("640x480") of device number `device`.
    virtual QStringList Sizes(int device) = 0;
};

// The lists of a capture component; reading the sizes switches the component to that local device.
class TComponentDeviceLists : public TCaptureDeviceLists
{
public:
    explicit TComponentDeviceLists(TCaptureComponent &component) : m_component(component) {}
    QStringList Devices() override;
    QStringList Sizes(int device) override;

private:
    TCaptureComponent &m_component;
};

// "Configure Codec...", given the index the component found for the MPEG-4 compressor. Found (0 or more):
// the component uses it and opens its settings dialog. Not found: offers to install it; on Yes starts the
// installer beside the program and closes mainWindow (may be null) as its close box does.
void ConfigureCodec(TCaptureComponent &component, int compressorIndex, QWidget *mainWindow);
