#pragma once
// The version of the JSON report's schema (docs/report.schema.json): raised
// with every change of a key's meaning or shape; new keys raise it too, as
// the schema admits no key it does not describe.
constexpr int kJsonSchemaVersion = 5;
