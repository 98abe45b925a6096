// PLACEHOLDER: replaced by the board.
namespace quill { int boardPlaceholder = 0; }
