#pragma once

#include <QByteArrayView>

// One fuzz input through the frame parser and the message decoder; aborts on a broken invariant.
// Shared by the libFuzzer target and the corpus replay test.
void FuzzWireDecoder(QByteArrayView bytes);
