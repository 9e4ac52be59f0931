#pragma once
// Image lists: images of one size, each with its mask, drawn by index.
//
// An image is kept as a colour image and a mask (true where the image shows).
// Add takes a mask bitmap (white pixels of the mask are transparent, as on
// the original); AddMasked takes the mask colour. Draw lays the shown pixels
// onto a canvas; a disabled draw greys them.
#include <vector>

#include "platform/ui/Canvas.h"

class TImageList : public TComponent {
    QV_CLASS(TImageList, TComponent)
public:
    explicit TImageList(TComponent* AOwner = nullptr);
    TImageList(int w, int h, TComponent* AOwner = nullptr);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int w, int h);
    int Count() const { return int(FImages.size()); }

    int Add(TBitmap* image, TBitmap* mask);
    int AddMasked(TBitmap* image, TColor maskColor);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void ReplaceMasked(int index, TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();
    // Grows or shrinks the list to n images (new ones empty and transparent).
    void SetCount(int n);
    // A picture with an alpha channel (a PNG) in slot index, scaled to the
    // list's size: tool bars and menus show it with its soft edges; Draw lays
    // its mostly opaque pixels.
    void ReplacePicture(int index, const QImage& picture);
    // The image as tool bars and menus show it: transparent where the image
    // does not show.
    QImage Picture(int index) const;

    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    // The image on a background of the canvas's brush colour.
    void GetBitmap(int index, TBitmap* bmp) const;
    // The image's mask: 0 (black) where the image shows, 1 (white) elsewhere.
    void GetMask(int index, TBitmap* bmp) const;
    bool ValidIndex(int i) const { return i >= 0 && i < Count(); }

    TNotifyEvent OnChange;

private:
    struct Entry {
        QImage image;
        std::vector<bool> shown;
        QImage picture;   // with its alpha channel, when it came as a picture
    };
    Entry Make(TBitmap* image, TBitmap* mask, bool byColour, TColor colour) const;
    void Changed() { if (OnChange) OnChange(this); }
    int FWidth = 16, FHeight = 16;
    std::vector<Entry> FImages;
};
