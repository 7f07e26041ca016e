"""Hands in short notation for the table's tests, and the paths they import from."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER_DIR = os.path.dirname(HERE)
sys.path.insert(0, SERVER_DIR)
sys.path.insert(0, os.path.join(SERVER_DIR, "..", "py"))


from tile_text import tile, tiles  # noqa: E402,F401
