#pragma once
// An MJPEG decompressor for the test world and the demo, where Wine has none: MJPEG video
// in, RGB32 or RGB24 out (bottom-up, or top-down when downstream asks for it), every frame
// decoded by our own decoder. It is registered under the class of the system's MJPEG
// decompressor in the programs' private Wine prefixes only; users' Windows has its own.
// A frame that does not decode, or is of another size than the connection's, is dropped: a
// camera's next frame is a new picture. A new input type of another frame size is refused.
#include <windows.h>
#include <strmif.h>

#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Pins.h"
#include "components/filterkit/TransformInputPin.h"
#include "components/filterkit/TransformOutputPin.h"
#include "testworld/mjpeg/MjpegDecoder.h"

namespace mjpegdec {

class MjpegDecompressor;

class DecompressorInput final : public filterkit::TransformInputPin {
public:
    explicit DecompressorInput(MjpegDecompressor& filter);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;

protected:
    HRESULT OnConnected() override;
    HRESULT Transform(IMediaSample* sample) override;

private:
    MjpegDecompressor& m_decompressor;
};

class DecompressorOutput final : public filterkit::TransformOutputPin {
public:
    explicit DecompressorOutput(MjpegDecompressor& filter);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int index, filterkit::MediaType& out) override;
    // The decoder's view of a buffer of the connected type (data and size left empty).
    const mjpeg::OutputImage& Image() const { return m_image; }
    // The bytes of one picture of the connected type: each output sample's length.
    size_t ImageBytes() const { return m_imageBytes; }

protected:
    void GetBufferProperties(ALLOCATOR_PROPERTIES& props) override;
    HRESULT OnConnected() override;

private:
    MjpegDecompressor& m_decompressor;
    mjpeg::OutputImage m_image;
    size_t m_imageBytes = 0;
};

class MjpegDecompressor final : public filterkit::BaseFilter {
public:
    MjpegDecompressor();

    int PinCount() const override { return 2; }
    IPin* PinAt(int index) override;

    DecompressorInput& Input() { return m_input; }
    DecompressorOutput& Output() { return m_output; }
    // The picture size of the connected input.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetInputSize(int width, int height);

    HRESULT Process(IMediaSample* sample);  // streaming thread

protected:
    HRESULT OnStartStreaming() override;
    void OnStopStreaming() override;

private:
    DecompressorInput m_input;
    DecompressorOutput m_output;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace mjpegdec
