// PLACEHOLDER: replaced by the board.
int main() { return 0; }
