from . import common
from .base import Engine


class WordPress(Engine):
    def __init__(self, name, work, truth, log, **kwargs):
        super().__init__(name, work, truth, log)

    def check_available(self):
        raise common.Unavailable("not written yet")
