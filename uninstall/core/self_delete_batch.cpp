#include "uninstall/core/self_delete_batch.h"

namespace kub::setup {

namespace {

std::u16string quoted(std::u16string_view text) {
    return u"\"" + std::u16string(text) + u"\"";
}

// Appends a piece when it fits a batch line buffer with its terminator.
bool append_piece(std::u16string& text, const std::u16string& piece) {
    if (piece.size() >= kBatchLineSize) return false;
    text += piece;
    return true;
}

}  // namespace

std::optional<std::u16string> self_delete_batch_text(std::u16string_view program,
                                                     std::u16string_view folder,
                                                     std::u16string_view batch) {
    const std::u16string p = quoted(program);
    std::u16string text;
    if (!append_piece(text, p + u" /wait\r\n")) return std::nullopt;
    const std::u16string attempt = u"del " + p + u"\r\nrd " + quoted(folder) + u"\r\nif not exist " +
                                   p + u" goto done\r\n";
    for (unsigned i = 0; i < kBatchAttempts; ++i)
        if (!append_piece(text, attempt)) return std::nullopt;
    if (!append_piece(text, u":done\r\nif exist " + p + u" " + p + u" /warning\r\ndel " +
                                quoted(batch)))
        return std::nullopt;
    return text;
}

std::u16string batch_command(std::u16string_view comspec, std::u16string_view batch) {
    return std::u16string(comspec) + u" /c " + quoted(batch);
}

}  // namespace kub::setup
