"""The project's Python side of the game channel: the wire codec (wire), the connection keys
(keys) and the record layouts of the protocol note docs/protocol.md (records).

Standard library, zlib and python3-cryptography only."""
