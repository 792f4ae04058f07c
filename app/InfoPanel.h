// The information panel: a heading, five lines of facts and the preview
// picture (picInfo) of the clicked node.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>

class QLabel;
class QScrollArea;

class InfoPanel : public QWidget {
    Q_OBJECT
public:
    explicit InfoPanel(QWidget* parent);

    // Fills the panel for the node with this key and text. Returns false when
    // the key is neither a block nor a file-type key (the panel stays hidden).
    bool ShowNode(const QString& key, const QString& text);

    // The picture the box holds: what "Save to Bmp" writes.
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    void ClearPicture();
    // The patch changed: the next click on a gump draws it afresh.
    void Forget() { lastPictureKey_.clear(); }

private:
    void Preview(std::uint8_t fileId, std::int32_t blockNumber, const QString& key, const struct PatchBlock& block);

    QLabel* lblHeading_;
    std::array<QLabel*, 5> lblInfo_{};
    QLabel* picInfo_;
    QImage picture_;
    QString lastPictureKey_;
};
