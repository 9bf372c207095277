#include "document/document_signature.h"

#include <gtest/gtest.h>

#include "document/document_fixture.h"
#include "platform/text_encoding.h"

namespace {

const std::string& Sample() { return vemo_test::kSampleDocument; }

TEST(DocumentSignatureTest, StatusOfTypicalFiles) {
  EXPECT_EQ(CheckSignature(std::string_view{}), SignatureStatus::kEmpty);
  EXPECT_EQ(CheckSignature(Sample()), SignatureStatus::kIntact);
  EXPECT_EQ(CheckSignature("; no marker here\r\n"), SignatureStatus::kUnsigned);
  // Re-saved as UTF-16 by an editor: the marker's ASCII bytes are gone, nothing is checked.
  std::wstring text;
  ASSERT_TRUE(platform::DecodeText(Sample(), CP_UTF8, 0, text));
  EXPECT_EQ(CheckSignature(platform::EncodeUtf16(text, platform::ByteOrder::kLittleEndian)),
            SignatureStatus::kUnsigned);
  // A chained buffer gives the same answers as its flat bytes.
  CNByteBuffer chained;
  ASSERT_TRUE(chained.Append(Sample().data(), 100));
  ASSERT_TRUE(chained.Append(Sample().data() + 100, Sample().size() - 100));
  EXPECT_EQ(CheckSignature(chained), SignatureStatus::kIntact);
}

TEST(DocumentSignatureTest, AnySingleByteChangeIsTampering) {
  for (std::size_t i = 0; i < Sample().size(); ++i) {
    std::string changed = Sample();
    changed[i] = static_cast<char>(changed[i] ^ 0x20);
    if (changed.find("~ AutoSigned ") == std::string::npos) continue;  // the marker itself
    EXPECT_EQ(CheckSignature(changed), SignatureStatus::kTampered) << "byte " << i;
  }
}

TEST(DocumentSignatureTest, WarningsGoToTheCallersHost) {
  std::vector<std::wstring> shown;
  const ShowErrorFn show = [&](const std::wstring& text) { shown.push_back(text); };
  std::string changed = Sample();
  changed[10] = 'X';
  EXPECT_EQ(CheckDocumentSignature(CNByteBuffer(changed.c_str()), L"/d/check.sum", show),
            SignatureStatus::kTampered);
  EXPECT_EQ(CheckDocumentSignature(CNByteBuffer(), L"/d/e.sum", show), SignatureStatus::kEmpty);
  EXPECT_EQ(CheckDocumentSignature(CNByteBuffer(Sample().c_str()), L"/d/ok.sum", show),
            SignatureStatus::kIntact);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], L"Warning: Vemo document file has been tampered with\r/d/check.sum");
  EXPECT_EQ(shown[1], L"Warning: Vemo document file is empty\r/d/e.sum");
}

}  // namespace
