// The module that holds Tesseract (vornik-ocr.so): loaded by helpers/TextRecognizer on
// the first copy text, so that the tray process maps neither Tesseract nor the network
// libraries it pulls in until then. Plain C entry points, no Qt.
#include <tesseract/baseapi.h>

#include <cstdlib>
#include <cstring>

#define VORNIK_OCR_EXPORT extern "C" __attribute__((visibility("default")))

// Reads the words of a grey picture (one byte a pixel) at `resolution` dpi. Returns the
// text (free it with vornik_ocr_free), or null with *noEngine set when Tesseract or its
// English data could not be started.
VORNIK_OCR_EXPORT char *vornik_ocr_read(const unsigned char *grey, int width, int height, int bytesPerLine,
                                        int resolution, int *noEngine)
{
    tesseract::TessBaseAPI engine;
    if (engine.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
        *noEngine = 1;
        return nullptr;
    }
    *noEngine = 0;
    // Screenshots hold scattered blocks of text rather than a page.
    engine.SetPageSegMode(tesseract::PSM_AUTO);
    engine.SetImage(grey, width, height, 1, bytesPerLine);
    engine.SetSourceResolution(resolution);
    // Handed over in the C allocator's memory, which the caller's side frees alike
    // whatever C++ runtime Tesseract was built with.
    char *recognised = engine.GetUTF8Text();
    char *text = recognised ? strdup(recognised) : nullptr;
    delete[] recognised;
    engine.End();
    return text;
}

VORNIK_OCR_EXPORT void vornik_ocr_free(char *text)
{
    std::free(text);
}
