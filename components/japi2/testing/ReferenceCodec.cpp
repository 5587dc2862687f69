#include "components/japi2/testing/ReferenceCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace japi2::testing {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    e->base.format_message(info, e->message);
    std::longjmp(e->jump, 1);
}

}  // namespace

Decoded DecodeReference(const std::vector<uint8_t>& jpeg) {
    Decoded out;
    jpeg_decompress_struct info{};
    ErrorManager error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnError;
    if (setjmp(error.jump)) {
        out.ok = false;
        out.error = error.message;
        jpeg_destroy_decompress(&info);
        return out;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    out.components = info.num_components;
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    out.picture.width = static_cast<int>(info.output_width);
    out.picture.height = static_cast<int>(info.output_height);
    out.picture.bgr.resize(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.picture.bgr.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.ok = true;
    return out;
}

std::vector<uint8_t> EncodeReference(const Picture& picture, int quality) {
    ReferenceOptions options;
    options.quality = quality;
    return EncodeReference(picture, options);
}

std::vector<uint8_t> EncodeReference(const Picture& picture, const ReferenceOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    if (options.grey) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    if (options.rgb) jpeg_set_colorspace(&info, JCS_RGB);
    jpeg_set_quality(&info, options.quality, TRUE);
    info.optimize_coding = FALSE;
    info.restart_interval = static_cast<unsigned int>(options.restartInterval);
    info.comp_info[0].h_samp_factor = options.grey ? 1 : options.lumaH;
    info.comp_info[0].v_samp_factor = options.grey ? 1 : options.lumaV;
    for (int c = 1; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = options.chromaH;
        info.comp_info[c].v_samp_factor = options.chromaV;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(picture.Row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

}  // namespace japi2::testing
