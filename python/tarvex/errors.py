"""The exception every failed SDK call raises."""

from __future__ import annotations

from ._codes import Result


class TarvexError(Exception):
    """A call into the SDK did not succeed.

    ``code`` is the SDK's result code (a :class:`Result` when the code is known, else the plain
    number) and ``name`` its name; ``function`` names the SDK function that answered it.
    """

    def __init__(self, code: int, function: str) -> None:
        try:
            self.code: Result | int = Result(code)
            self.name: str = self.code.name
        except ValueError:
            self.code = code
            self.name = f"UNKNOWN_{code}"
        self.function = function
        super().__init__(f"{function} failed: {self.name} ({code})")
