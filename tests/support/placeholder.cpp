// PLACEHOLDER: replaced by the shared test fakes.
namespace testsupport { int placeholder = 0; }
