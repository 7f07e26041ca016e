"""The connection key table, read from net/keys/keyblocks.hex (the file the client embeds)."""
import os

KEY_FILE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                         "net", "keys", "keyblocks.hex"))
BLOCK_COUNT = 4
BLOCK_SIZE = 128
GAME_BLOCK = 2


def key_table(path=KEY_FILE):
    with open(path) as lines:
        digits = "".join(line.split("#", 1)[0].strip().replace(" ", "") for line in lines)
    table = bytes.fromhex(digits)
    if len(table) != BLOCK_COUNT * BLOCK_SIZE:
        raise ValueError("%s: %d bytes, expected %d" % (path, len(table), BLOCK_COUNT * BLOCK_SIZE))
    return table


def block(index, path=KEY_FILE):
    return key_table(path)[index * BLOCK_SIZE:(index + 1) * BLOCK_SIZE]


def game_key(path=KEY_FILE):
    """The AES-128 key of the game channel: the first 16 bytes of block 2."""
    return block(GAME_BLOCK, path)[:16]
