#include "Sha256.h"

#include <gtest/gtest.h>

namespace {

QString digest(const QString& text) {
    return Sha256().hex(text);
}

// The standard vectors, lengths around the point where the length field no longer fits the last
// block, and a digest whose first word needs its leading zero (0x0a...). A text is digested as its
// UTF-8 bytes: the sign-in with a password of accented letters shows that.
TEST(Sha256, StandardVectorsBlockBoundariesAndLeadingZeros) {
    const std::pair<QString, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {QString(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {QString(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {QString(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {QString(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {QString(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {QString(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {"7", "7902699be42c8a8e46fbbb4501726517e86b22c56a189f7625a6da49081b2451"},
    };
    for (const auto& [text, hex] : vectors)
        EXPECT_EQ(digest(text), hex) << text.left(60).toStdString();
}

} // namespace
