#pragma once
// The XML tokenizer under the XML-RPC readers.  It walks the caller's text in
// place, one part at a time; names and plain text are views into that text,
// and only text holding references or non-ASCII bytes is decoded into a
// buffer that the next part reuses.
//
// Why our own: the readers need to tell <a/> from <a></a>, keep content
// exactly as written, report the position of every part and never expand
// entities of a document type declaration.  pugixml is fast and in place but
// cannot tell the two empty forms apart; libxml2's reader can, but copies
// every text and expands declared entities unless told not to (a small
// quadratic-blowup document grew to gigabytes).  XML-RPC uses a small subset
// of XML, so a tokenizer of a few hundred lines meets the grammar, the
// safety rules and the speed target together.
//
// Character set: after an XML declaration that names UTF-8 or no encoding,
// text is decoded from UTF-8 into Windows-1252 with 0xBF for characters the
// code page lacks.  Without a declaration, or with another encoding, bytes
// are delivered unchanged.  A UTF-8 byte order mark also selects UTF-8.
// Document type declarations are skipped unread: no entity of theirs is
// ever defined, so references to them stay literal text, and nothing they
// name is fetched.
#include <cstddef>
#include <string>
#include <string_view>

enum class TXmlPartKind {
    None, // before the first Scan
    XmlDeclaration,
    Comment,
    ProcessingInstruction,
    DocumentType,
    StartTag,
    EmptyTag,
    EndTag,
    Content,
    CData,
    End, // the document ended (also inside an unterminated part)
};

struct TTextPosition {
    int Line = 1;
    int Column = 1;
};

class TXmlTokenizer {
public:
    // Reads up to the end of the text or its first zero byte.  The text must
    // outlive the tokenizer.
    explicit TXmlTokenizer(std::string_view text);

    // Advances to the next part; false at the end of the document.
    bool Scan();

    TXmlPartKind Kind() const { return FKind; }
    // Tag or processing-instruction name as written (raw bytes).
    std::string_view Name() const { return FName; }
    int AttributeCount() const { return FAttributeCount; }
    // Text of a content or CDATA part in Windows-1252; valid until the next
    // Scan.
    std::string_view Text() const { return FText; }
    // Content made only of blanks, TAB, LF, VT, FF and CR.
    bool IsBlankContent() const;
    // Offset of the current part in the text.
    size_t PartStart() const { return FPartStart; }

    // Line and column (1-based) of an offset; CR, LF and CR LF end a line.
    TTextPosition PositionOf(size_t offset) const;
    // The current part's name decoded like text, for messages.
    std::string DisplayName() const;

private:
    bool Finish(size_t at);
    void ScanContent();
    bool ScanMarkup();
    bool ScanTag();
    bool ScanEndTag();
    bool ScanQuestion();
    bool ScanDocumentType();
    void DecodeText(std::string_view raw, bool resolveReferences);
    void ReadDeclaredEncoding(size_t from, size_t to);
    size_t SkipBlanks(size_t at) const;
    size_t NameEnd(size_t at) const;

    std::string_view FDoc;
    size_t FPos = 0;
    bool FUtf8 = false;
    bool FDeclarationSeen = false;

    TXmlPartKind FKind = TXmlPartKind::None;
    size_t FPartStart = 0;
    std::string_view FName;
    std::string_view FText;
    int FAttributeCount = 0;
    std::string FScratch;
    std::string FDecoded;
};
