// Draws houses and map blocks from art in a worker thread, so that the
// window never waits on a client's art: the newest request is drawn, the
// ones it overtook are dropped, and a drawing that comes back for a request
// since replaced is not delivered. The worker keeps its readers of the
// client folder between drawings.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <memory>
#include <string>

#include "gamefiles/art_source.h"
#include "app/block_tree_model.h"  // BlockId as a meta type
#include "patch/block_tree.h"

class BlockDrawer : public QObject {
    Q_OBJECT
public:
    struct Request {
        BlockId id;
        Bytes bytes;  // the multi or map block
        bool showHidden = false;
        std::string folder;  // the client folder; "" for none
        bool withVerdata = true;
        std::shared_ptr<const PatchArtLayer> patch;
    };

    explicit BlockDrawer(QObject* parent = nullptr);
    ~BlockDrawer() override;

    void Draw(Request request);
    // Forgets what was asked: nothing more is delivered.
    void Cancel();
    // Waits for the drawing asked for and delivers it: for tests.
    void Wait();

signals:
    // `summary`: what was drawn and what the art lacks.
    void Drawn(BlockId id, const QImage& image, const QString& summary);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    QThreadPool pool_;
};
