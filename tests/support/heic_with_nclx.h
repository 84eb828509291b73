#pragma once

#include <QImage>
#include <libheif/heif.h>
#include <string>

namespace pelldrake::testing {

// A HEIC file of the picture's pixels (8-bit RGB, as they are stored, whatever colour space the
// picture names) with an nclx colour box of the given H.273 primaries and transfer, as phones that
// describe their colours without a profile write it. heif-enc 1.15 cannot: libheif leaves the box
// out unless told otherwise, for an old macOS. Returns whether it was written.
inline bool WriteHeicWithNclx(const QImage& picture, const std::string& path, int primaries, int transfer) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    bool written = false;
    if (context != nullptr && options != nullptr && nclx != nullptr &&
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
            heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8).code == heif_error_Ok) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            std::copy_n(rgb.constScanLine(y), rgb.width() * 3, plane + static_cast<std::ptrdiff_t>(y) * stride);
        nclx->color_primaries = static_cast<heif_color_primaries>(primaries);
        nclx->transfer_characteristics = static_cast<heif_transfer_characteristics>(transfer);
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        // The box is written from the output's description; the picture's own says what its
        // pixels are.
        heif_image_set_nclx_color_profile(image, nclx);
        options->output_nclx_profile = nclx;
        options->macOS_compatibility_workaround_no_nclx_profile = 0;
        heif_encoder_set_lossy_quality(encoder, 95);
        written = heif_context_encode_image(context, image, encoder, options, nullptr).code == heif_error_Ok &&
                  heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
    }
    heif_nclx_color_profile_free(nclx);
    heif_encoding_options_free(options);
    if (image != nullptr)
        heif_image_release(image);
    if (encoder != nullptr)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return written;
}

} // namespace pelldrake::testing
