// PLACEHOLDER: replaced by the shell.
int main() { return 0; }
