// The images of the toolbar and the tree, numbered as in the image list:
// 1 file type, 2 block, 4 open, 5 save, 6 new, 8 import, 9 export.
#pragma once

#include <QIcon>

QIcon PatchIcon(int number);
